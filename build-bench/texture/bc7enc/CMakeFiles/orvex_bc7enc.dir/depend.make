# Empty dependencies file for orvex_bc7enc.
# This may be replaced when dependencies are built.
