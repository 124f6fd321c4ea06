#include "setup/install/install_dialog.h"

#include "setup/install_dirs.h"

option_flags install_options;

const directory_caption directory_captions[3] = {
    {1001, "&Install ORVIK.EXE into \"%s\"", find_editor_dir},
    {1002, "I&nstall ORVIKLGT.EXE into \"%s\"", find_editor_dir},
    {1003, "Install Windows &Agent into \"%s\"", find_agent_dir},
};

bool install_dialog_start(install_actions& actions) {
  const char* editor = find_editor_dir();
  const char* agent = find_agent_dir();
  if (editor[0] == '\0' || agent[0] == '\0') {
    actions.show_install_error("Can't retrieve Windows settings.");
    return false;
  }
  for (int i = 0; i < install_option_count; ++i) install_options[i] = i == opt_editor_light ? 0 : 1;
  return true;
}

bool is_option_control(int control) {
  return control >= first_option_control && control < first_option_control + install_option_count;
}

namespace {

// A governed box shows its remembered flag while its governor is on, and is
// cleared and disabled while it is off; the flag itself is kept.
check_box_change governed_box(install_option governed, bool governor_on) {
  return {first_option_control + governed, governor_on ? install_options[governed] : 0, governor_on};
}

}  // namespace

dialog_command_result install_dialog_command(int control, int32_t checked) {
  dialog_command_result result{dialog_stays, 0, {}};
  if (control == command_ok) {
    result.outcome = dialog_installs_then_ends;
  } else if (control == command_cancel) {
    result.outcome = dialog_ends;
  } else if (is_option_control(control)) {
    install_option flag = static_cast<install_option>(control - first_option_control);
    install_options[flag] = checked ? 1 : 0;
    bool on = install_options[flag] != 0;
    if (flag == opt_editor) {
      result.changes[result.change_count++] = governed_box(opt_send_to, on);
      result.changes[result.change_count++] = governed_box(opt_htm_edit, on);
    } else if (flag == opt_agent) {
      result.changes[result.change_count++] = governed_box(opt_agent_startup, on);
    }
  }
  return result;
}
