// The six option flags of the install dialog, 0 or 1 each. Flag i belongs
// to the check box with control id 1001 + i.
#pragma once
#include <cstdint>

enum install_option {
  opt_editor,
  opt_editor_light,  // kept and recorded, but no box shows it and nothing installs it
  opt_agent,
  opt_agent_startup,
  opt_send_to,
  opt_htm_edit,
  install_option_count
};

using option_flags = int32_t[install_option_count];

extern option_flags install_options;

constexpr int first_option_control = 1001;
