
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/wt/texture/tests/support/dxt_decoder.cpp" "tests/CMakeFiles/orvex_test_support.dir/support/dxt_decoder.cpp.o" "gcc" "tests/CMakeFiles/orvex_test_support.dir/support/dxt_decoder.cpp.o.d"
  "/work/wt/texture/tests/support/psnr.cpp" "tests/CMakeFiles/orvex_test_support.dir/support/psnr.cpp.o" "gcc" "tests/CMakeFiles/orvex_test_support.dir/support/psnr.cpp.o.d"
  "/work/wt/texture/tests/support/test_frames.cpp" "tests/CMakeFiles/orvex_test_support.dir/support/test_frames.cpp.o" "gcc" "tests/CMakeFiles/orvex_test_support.dir/support/test_frames.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
