# Empty dependencies file for dxt1_bench.
# This may be replaced when dependencies are built.
