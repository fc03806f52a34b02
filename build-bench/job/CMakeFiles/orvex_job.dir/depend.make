# Empty dependencies file for orvex_job.
# This may be replaced when dependencies are built.
