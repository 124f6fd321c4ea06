# Empty compiler generated dependencies file for orv_services_core.
# This may be replaced when dependencies are built.
