file(REMOVE_RECURSE
  "liborvex_video.a"
)
