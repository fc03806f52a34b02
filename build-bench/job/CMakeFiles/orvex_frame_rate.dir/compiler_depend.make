# Empty compiler generated dependencies file for orvex_frame_rate.
# This may be replaced when dependencies are built.
