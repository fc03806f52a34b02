# CMake generated Testfile for 
# Source directory: /work/wt/texture/tests/VIDEO
# Build directory: /work/wt/texture/build-bench/tests/VIDEO
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
