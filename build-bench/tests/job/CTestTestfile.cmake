# CMake generated Testfile for 
# Source directory: /work/wt/texture/tests/job
# Build directory: /work/wt/texture/build-bench/tests/job
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
