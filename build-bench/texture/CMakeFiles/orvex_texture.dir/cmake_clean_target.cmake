file(REMOVE_RECURSE
  "liborvex_texture.a"
)
