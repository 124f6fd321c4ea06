# Empty dependencies file for orv_channel_core.
# This may be replaced when dependencies are built.
