file(REMOVE_RECURSE
  "liborv_shell_core.a"
)
