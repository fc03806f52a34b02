file(REMOVE_RECURSE
  "CMakeFiles/orvex_bc7enc.dir/bc7_cell_compress.cpp.o"
  "CMakeFiles/orvex_bc7enc.dir/bc7_cell_compress.cpp.o.d"
  "CMakeFiles/orvex_bc7enc.dir/bc7_compress_block.cpp.o"
  "CMakeFiles/orvex_bc7enc.dir/bc7_compress_block.cpp.o.d"
  "CMakeFiles/orvex_bc7enc.dir/bc7_least_squares.cpp.o"
  "CMakeFiles/orvex_bc7enc.dir/bc7_least_squares.cpp.o.d"
  "CMakeFiles/orvex_bc7enc.dir/bc7_mode5.cpp.o"
  "CMakeFiles/orvex_bc7enc.dir/bc7_mode5.cpp.o.d"
  "CMakeFiles/orvex_bc7enc.dir/bc7_one_colour.cpp.o"
  "CMakeFiles/orvex_bc7enc.dir/bc7_one_colour.cpp.o.d"
  "CMakeFiles/orvex_bc7enc.dir/bc7_pack.cpp.o"
  "CMakeFiles/orvex_bc7enc.dir/bc7_pack.cpp.o.d"
  "CMakeFiles/orvex_bc7enc.dir/bc7_partition_estimate.cpp.o"
  "CMakeFiles/orvex_bc7enc.dir/bc7_partition_estimate.cpp.o.d"
  "CMakeFiles/orvex_bc7enc.dir/bc7_partitions.cpp.o"
  "CMakeFiles/orvex_bc7enc.dir/bc7_partitions.cpp.o.d"
  "CMakeFiles/orvex_bc7enc.dir/bc7_solution.cpp.o"
  "CMakeFiles/orvex_bc7enc.dir/bc7_solution.cpp.o.d"
  "CMakeFiles/orvex_bc7enc.dir/bc7_tables.cpp.o"
  "CMakeFiles/orvex_bc7enc.dir/bc7_tables.cpp.o.d"
  "liborvex_bc7enc.a"
  "liborvex_bc7enc.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/orvex_bc7enc.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
