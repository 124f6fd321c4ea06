// orvdesk hold: a program that has the clipboard open for a while around
// every change, as clipboard managers and slow viewers do. It joins the
// viewer chain; on each change it takes the clipboard first (on a thread of
// its own, so that it can let go while it is passing the notification on)
// and only then passes the notification down the chain, so every viewer
// after it finds the clipboard held.
#include <windows.h>

#include "tools/orvdesk/desk_commands.h"
#include "tools/orvprobe/probe_channel_win32.h"
#include "tools/orvprobe/probe_output.h"

namespace {

using sequence_fn = DWORD(WINAPI*)();

struct hold_state {
  HWND window = nullptr;
  HWND next = nullptr;
  HANDLE go = nullptr, held = nullptr;
  sequence_fn sequence = nullptr;  // GetClipboardSequenceNumber: not in Windows 95
  DWORD last_sequence = 0;
  DWORD hold_ms = 20;
  int64_t holds_left = -1;  // -1: every change
} hold;

void report(const char* event, DWORD ms) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  json_out out = out_json();
  json_open(out);
  json_text(out, "event", event);
  json_uint(out, "ms", ms);
  json_fixed(out, "t_ms", ms_between(LARGE_INTEGER{}, now));
  json_close(out);
  out_line_end();
}

DWORD WINAPI holder(void*) {
  for (;;) {
    WaitForSingleObject(hold.go, INFINITE);
    DWORD ms = hold.hold_ms;
    bool open = channel_open_clipboard(nullptr);
    SetEvent(hold.held);
    if (!open) continue;
    Sleep(ms);
    CloseClipboard();
    report("held", ms);
  }
}

LRESULT CALLBACK hold_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DRAWCLIPBOARD) {
    DWORD sequence = hold.sequence();  // the notification on joining is no change
    if (sequence != hold.last_sequence && hold.holds_left != 0) {
      if (hold.holds_left > 0) hold.holds_left--;
      SetEvent(hold.go);
      WaitForSingleObject(hold.held, 1000);
    }
    hold.last_sequence = sequence;
    if (hold.next) send_to_viewer(hold.next, message, wparam, lparam);
    return 0;
  }
  if (message == WM_CHANGECBCHAIN) {
    if (HWND(wparam) == hold.next) hold.next = HWND(lparam);
    else if (hold.next) send_to_viewer(hold.next, message, wparam, lparam);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int cmd_hold(const probe_args& args) {
  int64_t ms = 20, once = 0;
  args.number("ms", ms);
  if (args.number("once-ms", once)) {
    ms = once;
    hold.holds_left = 1;
  }
  hold.hold_ms = DWORD(ms);
  hold.sequence = reinterpret_cast<sequence_fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "GetClipboardSequenceNumber")));
  if (!hold.sequence) {
    err_text("orvdesk hold: this Windows has no clipboard sequence number\n");
    return exit_failed;
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = hold_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "OrvDeskHold";
  RegisterClassA(&wc);
  hold.window = CreateWindowExA(0, wc.lpszClassName, "orvdesk hold", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, wc.hInstance, nullptr);
  hold.go = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  hold.held = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  DWORD thread_id;
  if (!hold.window || !CreateThread(nullptr, 0, holder, nullptr, 0, &thread_id)) return exit_failed;
  hold.last_sequence = hold.sequence();
  hold.next = SetClipboardViewer(hold.window);
  report("ready", hold.hold_ms);
  run_until_stopped(args, 60);
  ChangeClipboardChain(hold.window, hold.next);
  DestroyWindow(hold.window);
  return exit_ok;
}
