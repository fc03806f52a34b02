# Empty compiler generated dependencies file for orvex-hap.
# This may be replaced when dependencies are built.
