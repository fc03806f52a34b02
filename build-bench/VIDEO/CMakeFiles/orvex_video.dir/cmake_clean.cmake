file(REMOVE_RECURSE
  "CMakeFiles/orvex_video.dir/atom_writer.cpp.o"
  "CMakeFiles/orvex_video.dir/atom_writer.cpp.o.d"
  "CMakeFiles/orvex_video.dir/be_write.cpp.o"
  "CMakeFiles/orvex_video.dir/be_write.cpp.o.d"
  "CMakeFiles/orvex_video.dir/file_io.cpp.o"
  "CMakeFiles/orvex_video.dir/file_io.cpp.o.d"
  "CMakeFiles/orvex_video.dir/media_atoms.cpp.o"
  "CMakeFiles/orvex_video.dir/media_atoms.cpp.o.d"
  "CMakeFiles/orvex_video.dir/mov_writer_hl.cpp.o"
  "CMakeFiles/orvex_video.dir/mov_writer_hl.cpp.o.d"
  "CMakeFiles/orvex_video.dir/movie_atoms.cpp.o"
  "CMakeFiles/orvex_video.dir/movie_atoms.cpp.o.d"
  "CMakeFiles/orvex_video.dir/sample_descriptions.cpp.o"
  "CMakeFiles/orvex_video.dir/sample_descriptions.cpp.o.d"
  "CMakeFiles/orvex_video.dir/sample_tables.cpp.o"
  "CMakeFiles/orvex_video.dir/sample_tables.cpp.o.d"
  "liborvex_video.a"
  "liborvex_video.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/orvex_video.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
