// The About box. Each request opens one more, nested in the current one.
#include "agent/shell/edition.h"
#include "agent/shell/shell_win32.h"

static INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
    EndDialog(dialog, 1);
    return TRUE;
  }
  return FALSE;
}

void show_about(HWND owner) {
  SetForegroundWindow(owner);
  DialogBoxParamA(agent_instance, MAKEINTRESOURCEA(about_dialog_id), owner, about_dialog_proc, 0);
}
