# Empty dependencies file for hap-frame-demo.
# This may be replaced when dependencies are built.
