# Empty dependencies file for orv_shell_core.
# This may be replaced when dependencies are built.
