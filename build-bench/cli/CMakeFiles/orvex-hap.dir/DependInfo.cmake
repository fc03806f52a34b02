
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/wt/bc7/cli/main.cpp" "cli/CMakeFiles/orvex-hap.dir/main.cpp.o" "gcc" "cli/CMakeFiles/orvex-hap.dir/main.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/wt/bc7/build-bench/cli/CMakeFiles/orvex_cli.dir/DependInfo.cmake"
  "/work/wt/bc7/build-bench/job/CMakeFiles/orvex_job.dir/DependInfo.cmake"
  "/work/wt/bc7/build-bench/HAP/CMakeFiles/orvex_hap.dir/DependInfo.cmake"
  "/work/wt/bc7/build-bench/texture/CMakeFiles/orvex_texture.dir/DependInfo.cmake"
  "/work/wt/bc7/build-bench/texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/DependInfo.cmake"
  "/work/wt/bc7/build-bench/VIDEO/CMakeFiles/orvex_video.dir/DependInfo.cmake"
  "/work/wt/bc7/build-bench/job/CMakeFiles/orvex_frame_rate.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
