// The tray icon and its menu.
#include <windows.h>
#include <shellapi.h>

#include "agent/channel/agent_messages.h"
#include "agent/shell/resource_ids.h"
#include "agent/shell/shell_win32.h"

// The original, Windows 95 layout of NOTIFYICONDATAA (88 bytes in a 32-bit
// build); every shell since accepts it.
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V1_SIZE == 88, "Windows 95 tray record");
static void tray_data(NOTIFYICONDATAA& data, HWND window) {
  ZeroMemory(&data, sizeof data);
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window;
  data.uID = 1;
}

namespace {

// What the shell broadcasts once it has started again (after a crash, or
// when a user ended it): the programs in the tray add their icons again,
// as the new shell knows none of them. 0 until registered.
UINT taskbar_created = 0;
const char* tray_tip = "";
// Loaded once and kept until the icon leaves the tray: a new shell gets the
// same icon again. Windows 95 shares one GDI heap among all programs, and
// an icon loaded per shell restart would never be given back.
HICON tray_icon = nullptr;

}  // namespace

void tray_add(HWND window, const char* tip) {
  if (!taskbar_created) taskbar_created = RegisterWindowMessageA("TaskbarCreated");
  tray_tip = tip;
  NOTIFYICONDATAA data;
  tray_data(data, window);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_AGENT_TRAY;
  if (!tray_icon)
    tray_icon = HICON(LoadImageA(agent_instance, MAKEINTRESOURCEA(IDI_AGENT), IMAGE_ICON,
                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                 LR_DEFAULTCOLOR));
  data.hIcon = tray_icon;
  lstrcpynA(data.szTip, tip, sizeof data.szTip);
  Shell_NotifyIconA(NIM_ADD, &data);
}

bool tray_shell_restarted(HWND window, UINT message) {
  if (!taskbar_created || message != taskbar_created) return false;
  tray_add(window, tray_tip);
  return true;
}

void tray_remove(HWND window) {
  NOTIFYICONDATAA data;
  tray_data(data, window);
  Shell_NotifyIconA(NIM_DELETE, &data);
  if (tray_icon) DestroyIcon(tray_icon);
  tray_icon = nullptr;
}

static void show_tray_menu(HWND window) {
  POINT cursor;
  GetCursorPos(&cursor);
  HMENU menu = LoadMenuA(agent_instance, MAKEINTRESOURCEA(IDM_TRAY));
  HMENU popup = GetSubMenu(menu, 0);
  // Without the foreground the menu would not close when clicked away.
  SetForegroundWindow(window);
  int command = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0,
                               window, nullptr);
  // Windows 95's tray menu does not close on the next click unless the
  // window gets a message right after the menu returns.
  PostMessageA(window, WM_NULL, 0, 0);
  DestroyMenu(menu);
  if (command == IDM_ABOUT) {
    show_about(window);
  } else if (command == IDM_QUIT) {
    DestroyWindow(window);
  }
}

void tray_callback(HWND window, LPARAM mouse_message) {
  switch (mouse_message) {
    case WM_LBUTTONDBLCLK:
      show_about(window);
      break;
    case WM_RBUTTONUP:
      show_tray_menu(window);
      break;
  }
}
