
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/wt/texture/texture/block_driver.cpp" "texture/CMakeFiles/orvex_texture.dir/block_driver.cpp.o" "gcc" "texture/CMakeFiles/orvex_texture.dir/block_driver.cpp.o.d"
  "/work/wt/texture/texture/cpu_probe.cpp" "texture/CMakeFiles/orvex_texture.dir/cpu_probe.cpp.o" "gcc" "texture/CMakeFiles/orvex_texture.dir/cpu_probe.cpp.o.d"
  "/work/wt/texture/texture/dxt1_block.cpp" "texture/CMakeFiles/orvex_texture.dir/dxt1_block.cpp.o" "gcc" "texture/CMakeFiles/orvex_texture.dir/dxt1_block.cpp.o.d"
  "/work/wt/texture/texture/dxt1_cluster.cpp" "texture/CMakeFiles/orvex_texture.dir/dxt1_cluster.cpp.o" "gcc" "texture/CMakeFiles/orvex_texture.dir/dxt1_cluster.cpp.o.d"
  "/work/wt/texture/texture/dxt1_endpoints.cpp" "texture/CMakeFiles/orvex_texture.dir/dxt1_endpoints.cpp.o" "gcc" "texture/CMakeFiles/orvex_texture.dir/dxt1_endpoints.cpp.o.d"
  "/work/wt/texture/texture/dxt1_fetch.cpp" "texture/CMakeFiles/orvex_texture.dir/dxt1_fetch.cpp.o" "gcc" "texture/CMakeFiles/orvex_texture.dir/dxt1_fetch.cpp.o.d"
  "/work/wt/texture/texture/dxt1_tables.cpp" "texture/CMakeFiles/orvex_texture.dir/dxt1_tables.cpp.o" "gcc" "texture/CMakeFiles/orvex_texture.dir/dxt1_tables.cpp.o.d"
  "/work/wt/texture/texture/dxtenc.cpp" "texture/CMakeFiles/orvex_texture.dir/dxtenc.cpp.o" "gcc" "texture/CMakeFiles/orvex_texture.dir/dxtenc.cpp.o.d"
  "/work/wt/texture/texture/dxtenc_bands.cpp" "texture/CMakeFiles/orvex_texture.dir/dxtenc_bands.cpp.o" "gcc" "texture/CMakeFiles/orvex_texture.dir/dxtenc_bands.cpp.o.d"
  "/work/wt/texture/texture/pad_block.cpp" "texture/CMakeFiles/orvex_texture.dir/pad_block.cpp.o" "gcc" "texture/CMakeFiles/orvex_texture.dir/pad_block.cpp.o.d"
  "/work/wt/texture/texture/pixel_formats.cpp" "texture/CMakeFiles/orvex_texture.dir/pixel_formats.cpp.o" "gcc" "texture/CMakeFiles/orvex_texture.dir/pixel_formats.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
