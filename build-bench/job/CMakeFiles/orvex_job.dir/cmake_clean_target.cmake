file(REMOVE_RECURSE
  "liborvex_job.a"
)
