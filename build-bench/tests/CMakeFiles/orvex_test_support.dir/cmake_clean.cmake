file(REMOVE_RECURSE
  "CMakeFiles/orvex_test_support.dir/support/dxt_decoder.cpp.o"
  "CMakeFiles/orvex_test_support.dir/support/dxt_decoder.cpp.o.d"
  "CMakeFiles/orvex_test_support.dir/support/psnr.cpp.o"
  "CMakeFiles/orvex_test_support.dir/support/psnr.cpp.o.d"
  "CMakeFiles/orvex_test_support.dir/support/test_frames.cpp.o"
  "CMakeFiles/orvex_test_support.dir/support/test_frames.cpp.o.d"
  "liborvex_test_support.a"
  "liborvex_test_support.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/orvex_test_support.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
