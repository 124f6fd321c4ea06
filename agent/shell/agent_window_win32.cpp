// The agent window's procedure: every message goes to its owner subsystem.
#include "agent/channel/agent_messages.h"
#include "agent/channel/channel.h"
#include "agent/channel/viewer_chain.h"
#include "agent/print/print_job.h"
#include "agent/shell/shell_win32.h"

LRESULT CALLBACK agent_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  agent_window = window;
  switch (message) {
    case WM_CREATE:
      channel_join(window);
      return 1;
    case WM_DESTROY:
      // Also arrives posted by a newly started agent or the installer.
      tray_remove(window);
      channel_leave(window);
      PostQuitMessage(0);
      return 1;
    case WM_DRAWCLIPBOARD:
      channel_draw_clipboard(window, wparam, lparam);
      return 0;
    case WM_CHANGECBCHAIN:
      channel_chain_changed(window, reinterpret_cast<os_handle>(wparam),
                            reinterpret_cast<os_handle>(lparam));
      return 0;
    case WM_TIMER:
      if (wparam == chain_check_timer) channel_check(window);
      return 0;
    case WM_AGENT_TRAY:
      tray_callback(window, lparam);
      return 1;
    // Any program can post these: each acts only on a copy of the agent's own.
    case WM_AGENT_PRINT:
      print_complete(reinterpret_cast<uint8_t*>(lparam));
      return 1;
    case WM_AGENT_REQUEST:
      request_dispatch(reinterpret_cast<uint8_t*>(lparam));
      return 1;
  }
  if (tray_shell_restarted(window, message)) return 0;
  return DefWindowProcA(window, message, wparam, lparam);
}
