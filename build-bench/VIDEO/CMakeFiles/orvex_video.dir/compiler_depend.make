# Empty compiler generated dependencies file for orvex_video.
# This may be replaced when dependencies are built.
