# Empty compiler generated dependencies file for orvex_texture.
# This may be replaced when dependencies are built.
