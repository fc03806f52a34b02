file(REMOVE_RECURSE
  "liborvex_hap.a"
)
