
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/wt/bc7/texture/bc7enc/bc7_cell_compress.cpp" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_cell_compress.cpp.o" "gcc" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_cell_compress.cpp.o.d"
  "/work/wt/bc7/texture/bc7enc/bc7_compress_block.cpp" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_compress_block.cpp.o" "gcc" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_compress_block.cpp.o.d"
  "/work/wt/bc7/texture/bc7enc/bc7_least_squares.cpp" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_least_squares.cpp.o" "gcc" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_least_squares.cpp.o.d"
  "/work/wt/bc7/texture/bc7enc/bc7_mode5.cpp" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_mode5.cpp.o" "gcc" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_mode5.cpp.o.d"
  "/work/wt/bc7/texture/bc7enc/bc7_one_colour.cpp" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_one_colour.cpp.o" "gcc" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_one_colour.cpp.o.d"
  "/work/wt/bc7/texture/bc7enc/bc7_pack.cpp" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_pack.cpp.o" "gcc" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_pack.cpp.o.d"
  "/work/wt/bc7/texture/bc7enc/bc7_partition_estimate.cpp" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_partition_estimate.cpp.o" "gcc" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_partition_estimate.cpp.o.d"
  "/work/wt/bc7/texture/bc7enc/bc7_partitions.cpp" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_partitions.cpp.o" "gcc" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_partitions.cpp.o.d"
  "/work/wt/bc7/texture/bc7enc/bc7_solution.cpp" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_solution.cpp.o" "gcc" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_solution.cpp.o.d"
  "/work/wt/bc7/texture/bc7enc/bc7_tables.cpp" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_tables.cpp.o" "gcc" "texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/bc7_tables.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
