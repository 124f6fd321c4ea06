// orvprobe hold: a program that has the clipboard open for a while around
// every change, as clipboard managers and slow viewers do. It joins the
// viewer chain; on each change it takes the clipboard first (on a thread of
// its own, so that it can let go while it is passing the notification on)
// and only then passes the notification down the chain, so every viewer
// after it finds the clipboard held.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/orvprobe/probe_commands.h"
#include "tools/orvprobe/probe_exchange_win32.h"
#include "tools/orvprobe/probe_json.h"

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
  printf("%s\n", json_object()
                     .field("event", event)
                     .field("ms", int64_t(ms))
                     .field("t_ms", probe_ms_between(LARGE_INTEGER{}, now))
                     .text()
                     .c_str());
  fflush(stdout);
}

DWORD WINAPI holder(void*) {
  for (;;) {
    WaitForSingleObject(hold.go, INFINITE);
    DWORD ms = hold.hold_ms;
    bool open = probe_open_clipboard(nullptr);
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
    if (hold.next) SendMessageA(hold.next, message, wparam, lparam);
    return 0;
  }
  if (message == WM_CHANGECBCHAIN) {
    if (HWND(wparam) == hold.next) hold.next = HWND(lparam);
    else if (hold.next) SendMessageA(hold.next, message, wparam, lparam);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int cmd_hold(const probe_args& args) {
  int64_t ms = 20, once = 0, seconds = 60;
  args.number("ms", ms);
  args.number("seconds", seconds);
  if (args.number("once-ms", once)) {
    ms = once;
    hold.holds_left = 1;
  }
  hold.hold_ms = DWORD(ms);
  hold.sequence = reinterpret_cast<sequence_fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "GetClipboardSequenceNumber")));
  if (!hold.sequence) {
    fprintf(stderr, "orvprobe hold: this Windows has no clipboard sequence number\n");
    return exit_failed;
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = hold_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "OrvProbeHold";
  RegisterClassA(&wc);
  hold.window = CreateWindowExA(0, wc.lpszClassName, "orvprobe hold", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, wc.hInstance, nullptr);
  hold.go = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  hold.held = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  DWORD thread_id;
  if (!hold.window || !CreateThread(nullptr, 0, holder, nullptr, 0, &thread_id)) return exit_failed;
  hold.last_sequence = hold.sequence();
  hold.next = SetClipboardViewer(hold.window);
  report("ready", hold.hold_ms);
  std::string stop = args.get("stop-file");
  DWORD end = GetTickCount() + DWORD(seconds * 1000);
  while (int32_t(end - GetTickCount()) > 0) {
    probe_pump(50);
    if (!stop.empty() && GetFileAttributesA(stop.c_str()) != INVALID_FILE_ATTRIBUTES) break;
  }
  ChangeClipboardChain(hold.window, hold.next);
  DestroyWindow(hold.window);
  return exit_ok;
}
