# CMAKE generated file: DO NOT EDIT!
# Timestamp file for compiler generated dependencies management for orvex_test_support.
