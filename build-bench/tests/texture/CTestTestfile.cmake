# CMake generated Testfile for 
# Source directory: /work/wt/texture/tests/texture
# Build directory: /work/wt/texture/build-bench/tests/texture
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/wt/texture/build-bench/tests/texture/test_texture[1]_include.cmake")
