file(REMOVE_RECURSE
  "liborvex_bc7enc.a"
)
