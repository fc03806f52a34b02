file(REMOVE_RECURSE
  "CMakeFiles/bc7_bench.dir/bc7_bench.cpp.o"
  "CMakeFiles/bc7_bench.dir/bc7_bench.cpp.o.d"
  "bc7_bench"
  "bc7_bench.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/bc7_bench.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
