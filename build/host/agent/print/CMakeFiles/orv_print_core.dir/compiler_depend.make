# Empty compiler generated dependencies file for orv_print_core.
# This may be replaced when dependencies are built.
