# Empty compiler generated dependencies file for orvex_test_support.
# This may be replaced when dependencies are built.
