file(REMOVE_RECURSE
  "liborv_channel_core.a"
)
