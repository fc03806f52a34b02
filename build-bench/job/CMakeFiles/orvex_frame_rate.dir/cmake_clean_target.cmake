file(REMOVE_RECURSE
  "liborvex_frame_rate.a"
)
