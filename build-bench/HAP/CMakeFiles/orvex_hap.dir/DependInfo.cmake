
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/wt/bc7/HAP/HAP_Frame.cpp" "HAP/CMakeFiles/orvex_hap.dir/HAP_Frame.cpp.o" "gcc" "HAP/CMakeFiles/orvex_hap.dir/HAP_Frame.cpp.o.d"
  "/work/wt/bc7/HAP/aligned_buffer.cpp" "HAP/CMakeFiles/orvex_hap.dir/aligned_buffer.cpp.o" "gcc" "HAP/CMakeFiles/orvex_hap.dir/aligned_buffer.cpp.o.d"
  "/work/wt/bc7/HAP/frame_encoder.cpp" "HAP/CMakeFiles/orvex_hap.dir/frame_encoder.cpp.o" "gcc" "HAP/CMakeFiles/orvex_hap.dir/frame_encoder.cpp.o.d"
  "/work/wt/bc7/HAP/hap_builder.cpp" "HAP/CMakeFiles/orvex_hap.dir/hap_builder.cpp.o" "gcc" "HAP/CMakeFiles/orvex_hap.dir/hap_builder.cpp.o.d"
  "/work/wt/bc7/HAP/hap_section_writer.cpp" "HAP/CMakeFiles/orvex_hap.dir/hap_section_writer.cpp.o" "gcc" "HAP/CMakeFiles/orvex_hap.dir/hap_section_writer.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/wt/bc7/build-bench/texture/CMakeFiles/orvex_texture.dir/DependInfo.cmake"
  "/work/wt/bc7/build-bench/texture/bc7enc/CMakeFiles/orvex_bc7enc.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
