
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/wt/bc7/cli/cli_options.cpp" "cli/CMakeFiles/orvex_cli.dir/cli_options.cpp.o" "gcc" "cli/CMakeFiles/orvex_cli.dir/cli_options.cpp.o.d"
  "/work/wt/bc7/cli/encode_command.cpp" "cli/CMakeFiles/orvex_cli.dir/encode_command.cpp.o" "gcc" "cli/CMakeFiles/orvex_cli.dir/encode_command.cpp.o.d"
  "/work/wt/bc7/cli/ffmpeg_source.cpp" "cli/CMakeFiles/orvex_cli.dir/ffmpeg_source.cpp.o" "gcc" "cli/CMakeFiles/orvex_cli.dir/ffmpeg_source.cpp.o.d"
  "/work/wt/bc7/cli/interrupt.cpp" "cli/CMakeFiles/orvex_cli.dir/interrupt.cpp.o" "gcc" "cli/CMakeFiles/orvex_cli.dir/interrupt.cpp.o.d"
  "/work/wt/bc7/cli/output_file.cpp" "cli/CMakeFiles/orvex_cli.dir/output_file.cpp.o" "gcc" "cli/CMakeFiles/orvex_cli.dir/output_file.cpp.o.d"
  "/work/wt/bc7/cli/pattern_source.cpp" "cli/CMakeFiles/orvex_cli.dir/pattern_source.cpp.o" "gcc" "cli/CMakeFiles/orvex_cli.dir/pattern_source.cpp.o.d"
  "/work/wt/bc7/cli/progress.cpp" "cli/CMakeFiles/orvex_cli.dir/progress.cpp.o" "gcc" "cli/CMakeFiles/orvex_cli.dir/progress.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/wt/bc7/build-bench/job/CMakeFiles/orvex_job.dir/DependInfo.cmake"
  "/work/wt/bc7/build-bench/HAP/CMakeFiles/orvex_hap.dir/DependInfo.cmake"
  "/work/wt/bc7/build-bench/texture/CMakeFiles/orvex_texture.dir/DependInfo.cmake"
  "/work/wt/bc7/build-bench/texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/DependInfo.cmake"
  "/work/wt/bc7/build-bench/VIDEO/CMakeFiles/orvex_video.dir/DependInfo.cmake"
  "/work/wt/bc7/build-bench/job/CMakeFiles/orvex_frame_rate.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
