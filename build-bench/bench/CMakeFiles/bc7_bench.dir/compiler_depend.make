# Empty compiler generated dependencies file for bc7_bench.
# This may be replaced when dependencies are built.
