file(REMOVE_RECURSE
  "CMakeFiles/test_texture.dir/block_driver_test.cpp.o"
  "CMakeFiles/test_texture.dir/block_driver_test.cpp.o.d"
  "CMakeFiles/test_texture.dir/dxt1_block_test.cpp.o"
  "CMakeFiles/test_texture.dir/dxt1_block_test.cpp.o.d"
  "CMakeFiles/test_texture.dir/dxtenc_setup_test.cpp.o"
  "CMakeFiles/test_texture.dir/dxtenc_setup_test.cpp.o.d"
  "CMakeFiles/test_texture.dir/pixel_formats_test.cpp.o"
  "CMakeFiles/test_texture.dir/pixel_formats_test.cpp.o.d"
  "test_texture"
  "test_texture.pdb"
  "test_texture[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/test_texture.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
