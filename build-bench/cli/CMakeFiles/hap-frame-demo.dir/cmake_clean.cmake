file(REMOVE_RECURSE
  "CMakeFiles/hap-frame-demo.dir/hap_frame_demo.cpp.o"
  "CMakeFiles/hap-frame-demo.dir/hap_frame_demo.cpp.o.d"
  "hap-frame-demo"
  "hap-frame-demo.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/hap-frame-demo.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
