// The install dialog's decisions: the start-up check, what each command
// does to the option flags, and which check boxes follow a governing box.
// install_dialog_win32.cpp only carries them out.
#pragma once
#include <cstdint>

#include "setup/install/install_actions.h"
#include "setup/install/install_options.h"

constexpr int command_ok = 1;      // IDOK
constexpr int command_cancel = 2;  // IDCANCEL, also Escape and the close box
constexpr int caption_capacity = 320;

// Finds the editor and agent directories; when either is empty, shows
// "Can't retrieve Windows settings." and returns false (the dialog ends).
// Otherwise sets the flags to their initial values and returns true.
bool install_dialog_start(install_actions& actions);

// The three captions that carry a directory, formatted at start-up.
struct directory_caption {
  int control;
  const char* format;            // one %s
  const char* (*directory)();    // a fresh discovery
};
extern const directory_caption directory_captions[3];

enum dialog_outcome { dialog_stays, dialog_installs_then_ends, dialog_ends };

struct check_box_change {
  int control;
  int32_t checked;
  bool enabled;
};

struct dialog_command_result {
  dialog_outcome outcome;
  int change_count;
  check_box_change changes[2];
};

bool is_option_control(int control);

// A command from control `control`; `checked` is that box's check state when
// it is an option box (ignored otherwise).
dialog_command_result install_dialog_command(int control, int32_t checked);
