
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/wt/bc7/VIDEO/atom_writer.cpp" "VIDEO/CMakeFiles/orvex_video.dir/atom_writer.cpp.o" "gcc" "VIDEO/CMakeFiles/orvex_video.dir/atom_writer.cpp.o.d"
  "/work/wt/bc7/VIDEO/be_write.cpp" "VIDEO/CMakeFiles/orvex_video.dir/be_write.cpp.o" "gcc" "VIDEO/CMakeFiles/orvex_video.dir/be_write.cpp.o.d"
  "/work/wt/bc7/VIDEO/file_io.cpp" "VIDEO/CMakeFiles/orvex_video.dir/file_io.cpp.o" "gcc" "VIDEO/CMakeFiles/orvex_video.dir/file_io.cpp.o.d"
  "/work/wt/bc7/VIDEO/media_atoms.cpp" "VIDEO/CMakeFiles/orvex_video.dir/media_atoms.cpp.o" "gcc" "VIDEO/CMakeFiles/orvex_video.dir/media_atoms.cpp.o.d"
  "/work/wt/bc7/VIDEO/mov_writer_hl.cpp" "VIDEO/CMakeFiles/orvex_video.dir/mov_writer_hl.cpp.o" "gcc" "VIDEO/CMakeFiles/orvex_video.dir/mov_writer_hl.cpp.o.d"
  "/work/wt/bc7/VIDEO/movie_atoms.cpp" "VIDEO/CMakeFiles/orvex_video.dir/movie_atoms.cpp.o" "gcc" "VIDEO/CMakeFiles/orvex_video.dir/movie_atoms.cpp.o.d"
  "/work/wt/bc7/VIDEO/sample_descriptions.cpp" "VIDEO/CMakeFiles/orvex_video.dir/sample_descriptions.cpp.o" "gcc" "VIDEO/CMakeFiles/orvex_video.dir/sample_descriptions.cpp.o.d"
  "/work/wt/bc7/VIDEO/sample_tables.cpp" "VIDEO/CMakeFiles/orvex_video.dir/sample_tables.cpp.o" "gcc" "VIDEO/CMakeFiles/orvex_video.dir/sample_tables.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/wt/bc7/build-bench/job/CMakeFiles/orvex_frame_rate.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
