# Empty dependencies file for orvex_cli.
# This may be replaced when dependencies are built.
