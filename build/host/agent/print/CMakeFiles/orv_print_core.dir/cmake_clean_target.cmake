file(REMOVE_RECURSE
  "liborv_print_core.a"
)
