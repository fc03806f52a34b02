file(REMOVE_RECURSE
  "CMakeFiles/orvex_cli.dir/cli_options.cpp.o"
  "CMakeFiles/orvex_cli.dir/cli_options.cpp.o.d"
  "CMakeFiles/orvex_cli.dir/encode_command.cpp.o"
  "CMakeFiles/orvex_cli.dir/encode_command.cpp.o.d"
  "CMakeFiles/orvex_cli.dir/ffmpeg_source.cpp.o"
  "CMakeFiles/orvex_cli.dir/ffmpeg_source.cpp.o.d"
  "CMakeFiles/orvex_cli.dir/interrupt.cpp.o"
  "CMakeFiles/orvex_cli.dir/interrupt.cpp.o.d"
  "CMakeFiles/orvex_cli.dir/output_file.cpp.o"
  "CMakeFiles/orvex_cli.dir/output_file.cpp.o.d"
  "CMakeFiles/orvex_cli.dir/pattern_source.cpp.o"
  "CMakeFiles/orvex_cli.dir/pattern_source.cpp.o.d"
  "CMakeFiles/orvex_cli.dir/progress.cpp.o"
  "CMakeFiles/orvex_cli.dir/progress.cpp.o.d"
  "liborvex_cli.a"
  "liborvex_cli.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/orvex_cli.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
