// The install dialog: carries out the decisions of install_dialog.cpp.
#include <windows.h>

#include "setup/install/install_dialog.h"
#include "setup/install/run_install.h"
#include "setup/install/setup_program.h"

namespace {

constexpr int install_dialog_template = 101;

BOOL start_dialog(HWND dialog) {
  if (!install_dialog_start(system_install_actions())) {
    EndDialog(dialog, 1);
    return FALSE;
  }
  for (int i = 0; i < install_option_count; ++i)
    SendDlgItemMessageA(dialog, first_option_control + i, BM_SETCHECK, install_options[i], 0);

  // A directory holds at most 255 characters and each format about 35, so
  // the caption always fits its buffer.
  char caption[caption_capacity];
  for (const directory_caption& item : directory_captions) {
    wsprintfA(caption, item.format, item.directory());
    SetDlgItemTextA(dialog, item.control, caption);
  }
  return TRUE;  // the focus goes to the first tab stop, OK
}

BOOL command(HWND dialog, int control) {
  int32_t checked = 0;
  if (is_option_control(control))
    checked = static_cast<int32_t>(SendDlgItemMessageA(dialog, control, BM_GETCHECK, 0, 0));
  dialog_command_result result = install_dialog_command(control, checked);

  for (int i = 0; i < result.change_count; ++i) {
    const check_box_change& box = result.changes[i];
    SendDlgItemMessageA(dialog, box.control, BM_SETCHECK, box.checked, 0);
    EnableWindow(GetDlgItem(dialog, box.control), box.enabled);
  }

  switch (result.outcome) {
    case dialog_installs_then_ends:
      run_install(install_options, system_install_actions(), system_registry(),
                  system_restart_os());
      EndDialog(dialog, 1);
      return TRUE;
    case dialog_ends:
      EndDialog(dialog, 1);
      return TRUE;
    case dialog_stays:
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK install_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return start_dialog(dialog);
    case WM_COMMAND:
      return command(dialog, LOWORD(wparam));
  }
  return FALSE;
}

}  // namespace

void show_install_dialog(void* instance) {
  DialogBoxParamA(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEA(install_dialog_template),
                  nullptr, install_dialog_proc, 0);
}
