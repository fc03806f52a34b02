# CMake generated Testfile for 
# Source directory: /work/wt/texture
# Build directory: /work/wt/texture/build-bench
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
subdirs("texture/bc7enc")
subdirs("texture")
subdirs("HAP")
subdirs("VIDEO")
subdirs("job")
subdirs("tests")
subdirs("bench")
