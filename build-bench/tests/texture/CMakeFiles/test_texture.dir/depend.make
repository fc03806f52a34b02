# Empty dependencies file for test_texture.
# This may be replaced when dependencies are built.
