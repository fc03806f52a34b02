file(REMOVE_RECURSE
  "CMakeFiles/dxt1_bench.dir/dxt1_bench.cpp.o"
  "CMakeFiles/dxt1_bench.dir/dxt1_bench.cpp.o.d"
  "dxt1_bench"
  "dxt1_bench.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/dxt1_bench.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
