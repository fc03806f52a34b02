# CMake generated Testfile for 
# Source directory: /work/wt/texture/tests/HAP
# Build directory: /work/wt/texture/build-bench/tests/HAP
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
