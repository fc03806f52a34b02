file(REMOVE_RECURSE
  "liborvex_test_support.a"
)
