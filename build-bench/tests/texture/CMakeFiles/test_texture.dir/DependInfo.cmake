
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/wt/texture/tests/texture/block_driver_test.cpp" "tests/texture/CMakeFiles/test_texture.dir/block_driver_test.cpp.o" "gcc" "tests/texture/CMakeFiles/test_texture.dir/block_driver_test.cpp.o.d"
  "/work/wt/texture/tests/texture/dxt1_block_test.cpp" "tests/texture/CMakeFiles/test_texture.dir/dxt1_block_test.cpp.o" "gcc" "tests/texture/CMakeFiles/test_texture.dir/dxt1_block_test.cpp.o.d"
  "/work/wt/texture/tests/texture/dxtenc_setup_test.cpp" "tests/texture/CMakeFiles/test_texture.dir/dxtenc_setup_test.cpp.o" "gcc" "tests/texture/CMakeFiles/test_texture.dir/dxtenc_setup_test.cpp.o.d"
  "/work/wt/texture/tests/texture/pixel_formats_test.cpp" "tests/texture/CMakeFiles/test_texture.dir/pixel_formats_test.cpp.o" "gcc" "tests/texture/CMakeFiles/test_texture.dir/pixel_formats_test.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/wt/texture/build-bench/texture/CMakeFiles/orvex_texture.dir/DependInfo.cmake"
  "/work/wt/texture/build-bench/tests/CMakeFiles/orvex_test_support.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
