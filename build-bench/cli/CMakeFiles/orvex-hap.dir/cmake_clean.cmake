file(REMOVE_RECURSE
  "CMakeFiles/orvex-hap.dir/main.cpp.o"
  "CMakeFiles/orvex-hap.dir/main.cpp.o.d"
  "orvex-hap"
  "orvex-hap.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/orvex-hap.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
