file(REMOVE_RECURSE
  "CMakeFiles/orvex_hap.dir/HAP_Frame.cpp.o"
  "CMakeFiles/orvex_hap.dir/HAP_Frame.cpp.o.d"
  "CMakeFiles/orvex_hap.dir/aligned_buffer.cpp.o"
  "CMakeFiles/orvex_hap.dir/aligned_buffer.cpp.o.d"
  "CMakeFiles/orvex_hap.dir/frame_encoder.cpp.o"
  "CMakeFiles/orvex_hap.dir/frame_encoder.cpp.o.d"
  "CMakeFiles/orvex_hap.dir/hap_builder.cpp.o"
  "CMakeFiles/orvex_hap.dir/hap_builder.cpp.o.d"
  "CMakeFiles/orvex_hap.dir/hap_section_writer.cpp.o"
  "CMakeFiles/orvex_hap.dir/hap_section_writer.cpp.o.d"
  "liborvex_hap.a"
  "liborvex_hap.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/orvex_hap.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
