# CMake generated Testfile for 
# Source directory: /work/wt/texture/tests
# Build directory: /work/wt/texture/build-bench/tests
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
subdirs("HAP")
subdirs("VIDEO")
subdirs("texture")
subdirs("job")
