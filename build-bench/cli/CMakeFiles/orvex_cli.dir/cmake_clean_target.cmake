file(REMOVE_RECURSE
  "liborvex_cli.a"
)
