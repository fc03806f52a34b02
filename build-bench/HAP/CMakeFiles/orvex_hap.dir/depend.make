# Empty dependencies file for orvex_hap.
# This may be replaced when dependencies are built.
