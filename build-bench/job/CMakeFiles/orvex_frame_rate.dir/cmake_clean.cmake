file(REMOVE_RECURSE
  "CMakeFiles/orvex_frame_rate.dir/frame_rate.cpp.o"
  "CMakeFiles/orvex_frame_rate.dir/frame_rate.cpp.o.d"
  "liborvex_frame_rate.a"
  "liborvex_frame_rate.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/orvex_frame_rate.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
