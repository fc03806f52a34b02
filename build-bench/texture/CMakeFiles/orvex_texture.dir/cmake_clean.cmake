file(REMOVE_RECURSE
  "CMakeFiles/orvex_texture.dir/block_driver.cpp.o"
  "CMakeFiles/orvex_texture.dir/block_driver.cpp.o.d"
  "CMakeFiles/orvex_texture.dir/cpu_probe.cpp.o"
  "CMakeFiles/orvex_texture.dir/cpu_probe.cpp.o.d"
  "CMakeFiles/orvex_texture.dir/dxt1_block.cpp.o"
  "CMakeFiles/orvex_texture.dir/dxt1_block.cpp.o.d"
  "CMakeFiles/orvex_texture.dir/dxt1_cluster.cpp.o"
  "CMakeFiles/orvex_texture.dir/dxt1_cluster.cpp.o.d"
  "CMakeFiles/orvex_texture.dir/dxt1_endpoints.cpp.o"
  "CMakeFiles/orvex_texture.dir/dxt1_endpoints.cpp.o.d"
  "CMakeFiles/orvex_texture.dir/dxt1_fetch.cpp.o"
  "CMakeFiles/orvex_texture.dir/dxt1_fetch.cpp.o.d"
  "CMakeFiles/orvex_texture.dir/dxt1_tables.cpp.o"
  "CMakeFiles/orvex_texture.dir/dxt1_tables.cpp.o.d"
  "CMakeFiles/orvex_texture.dir/dxtenc.cpp.o"
  "CMakeFiles/orvex_texture.dir/dxtenc.cpp.o.d"
  "CMakeFiles/orvex_texture.dir/dxtenc_bands.cpp.o"
  "CMakeFiles/orvex_texture.dir/dxtenc_bands.cpp.o.d"
  "CMakeFiles/orvex_texture.dir/pad_block.cpp.o"
  "CMakeFiles/orvex_texture.dir/pad_block.cpp.o.d"
  "CMakeFiles/orvex_texture.dir/pixel_formats.cpp.o"
  "CMakeFiles/orvex_texture.dir/pixel_formats.cpp.o.d"
  "liborvex_texture.a"
  "liborvex_texture.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/orvex_texture.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
