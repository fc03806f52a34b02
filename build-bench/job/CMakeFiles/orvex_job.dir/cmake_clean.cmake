file(REMOVE_RECURSE
  "CMakeFiles/orvex_job.dir/render_job.cpp.o"
  "CMakeFiles/orvex_job.dir/render_job.cpp.o.d"
  "liborvex_job.a"
  "liborvex_job.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/orvex_job.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
