file(REMOVE_RECURSE
  "liborv_services_core.a"
)
