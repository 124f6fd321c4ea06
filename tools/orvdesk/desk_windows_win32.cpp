// Commands that own, find, inspect and message windows: the console window
// stand-in, and the handles the tests need to drive dialogs and menus.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

#include "tools/orvdesk/desk_commands.h"
#include "tools/orvprobe/probe_channel_win32.h"
#include "tools/orvprobe/probe_output.h"

namespace {

bool own_window_closing = false;

// Messages too frequent or too dull to report.
bool is_noise(UINT m) {
  switch (m) {
    case WM_PAINT: case WM_NCPAINT: case WM_ERASEBKGND: case WM_NCHITTEST: case WM_SETCURSOR:
    case WM_MOUSEMOVE: case WM_NCMOUSEMOVE: case WM_TIMER: case WM_GETICON: case WM_GETTEXT:
    case WM_GETTEXTLENGTH: case WM_GETMINMAXINFO: case WM_NCCALCSIZE: case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED: case WM_MOVE: case WM_SIZE: case 0x0090: case 0x031F:
      return true;
  }
  return false;
}

// Message parameters and results are pointer-wide.
void wide_number(json_out& out, const char* name, long long value) {
  char text[24];
  snprintf(text, sizeof text, "%lld", value);
  json_raw(out, name, text);
}

LRESULT CALLBACK stand_in_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!is_noise(message)) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    json_out out = out_json();
    json_open(out);
    json_text(out, "event", "message");
    json_fixed(out, "t_ms", ms_between(LARGE_INTEGER{}, now));
    json_uint(out, "msg", message);
    wide_number(out, "wparam", (long long)wparam);
    wide_number(out, "lparam", (long long)lparam);
    json_close(out);
    out_line_end();
  }
  // A posted WM_DESTROY is only reported: the window stays, like an agent
  // that does not react. Closing it for real ends the command.
  if (message == WM_CLOSE) own_window_closing = true;
  return DefWindowProcA(window, message, wparam, lparam);
}

// GetWindowTextA does not ask a control of another process for its text, and
// Wine hands a cross-process CB_GETLBTEXT sent as ANSI back unconverted; so
// both are asked for in UTF-16 and converted here.
void ansi_of(const wchar_t* text, char (&out)[512]) {
  out[0] = '\0';
  WideCharToMultiByte(CP_ACP, 0, text, -1, out, sizeof out, nullptr, nullptr);
  out[sizeof out - 1] = '\0';
}

void text_of(HWND window, char (&out)[512]) {
  wchar_t text[512] = L"";
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 512, LPARAM(text), SMTO_ABORTIFHUNG, 2000, &length))
    text[0] = 0;
  text[511] = 0;
  ansi_of(text, out);
}

void combo_item_of(HWND combo, LRESULT index, char (&out)[512]) {
  wchar_t item[512] = L"";
  if (index >= 0 && SendMessageW(combo, CB_GETLBTEXTLEN, index, 0) < 512)
    SendMessageW(combo, CB_GETLBTEXT, index, LPARAM(item));
  item[511] = 0;
  ansi_of(item, out);
}

void window_json(json_out& out, const char* name, HWND window, bool with_children);

BOOL CALLBACK add_child(HWND child, LPARAM list) {
  window_json(*reinterpret_cast<json_out*>(list), nullptr, child, false);
  return TRUE;
}

void window_json(json_out& out, const char* name, HWND window, bool with_children) {
  char class_name[128] = "", text[512], handle[24];
  text_of(window, text);
  GetClassNameA(window, class_name, sizeof class_name);
  RECT r{};
  GetWindowRect(window, &r);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  json_open(out, name);
  json_text(out, "hwnd", handle_text(window, handle));
  json_text(out, "class", class_name);
  json_text(out, "text", text);
  json_int(out, "id", GetDlgCtrlID(window));
  json_uint(out, "style", uint32_t(GetWindowLongA(window, GWL_STYLE)));
  json_bool(out, "visible", IsWindowVisible(window) != 0);
  json_bool(out, "enabled", IsWindowEnabled(window) != 0);
  json_bool(out, "iconic", IsIconic(window) != 0);
  json_text(out, "owner", handle_text(GetWindow(window, GW_OWNER), handle));
  json_uint(out, "pid", pid);
  wide_number(out, "instance", (long long)GetWindowLongPtrA(window, GWLP_HINSTANCE));
  json_open_list(out, "rect");
  for (LONG edge : {r.left, r.top, r.right, r.bottom}) json_int(out, nullptr, edge);
  json_close_list(out);
  if (lstrcmpiA(class_name, "Button") == 0)
    json_int(out, "checked", int32_t(SendMessageA(window, BM_GETCHECK, 0, 0)));
  if (lstrcmpiA(class_name, "ComboBox") == 0) {
    LRESULT selected = SendMessageA(window, CB_GETCURSEL, 0, 0);
    combo_item_of(window, selected, text);
    json_int(out, "selected", int32_t(selected));
    json_text(out, "selected_text", text);
  }
  if (with_children) {
    json_open_list(out, "children");
    EnumChildWindows(window, add_child, LPARAM(&out));
    json_close_list(out);
  }
  json_close(out);
}

struct class_filter {
  const char* class_name;
  json_out* out;
};

BOOL CALLBACK add_of_class(HWND window, LPARAM filter) {
  auto* f = reinterpret_cast<class_filter*>(filter);
  char class_name[128] = "";
  GetClassNameA(window, class_name, sizeof class_name);
  if (lstrcmpA(f->class_name, class_name) == 0) window_json(*f->out, nullptr, window, false);
  return TRUE;
}

// {"window": ...} for a window, {"window": null} for none.
int print_window(HWND window) {
  json_out out = out_json();
  json_open(out);
  if (window) window_json(out, "window", window, true);
  else json_null(out, "window");
  json_close(out);
  out_line_end();
  return window ? exit_ok : exit_no_reply;
}

}  // namespace

HWND target_window(const probe_args& args) {
  int64_t handle;
  if (args.number("hwnd", handle)) return HWND(uintptr_t(handle));
  const char* class_name = args.get("class");
  return FindWindowA(*class_name ? class_name : nullptr, args.has("title") ? args.get("title") : nullptr);
}

int cmd_window(const probe_args& args) {
  const char* class_name = args.get("class", "tty");
  const char* show = args.get("show", "visible");
  WNDCLASSA wc{};
  wc.lpfnWndProc = stand_in_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  wc.lpszClassName = class_name;
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, class_name, args.get("title", "MS-DOS Prompt - ORVIK"),
                                WS_OVERLAPPEDWINDOW, 40, 40, 640, 400, nullptr, nullptr,
                                wc.hInstance, nullptr);
  if (!window) {
    err_text("orvdesk window: cannot create the window\n");
    return exit_failed;
  }
  if (lstrcmpA(show, "visible") == 0) ShowWindow(window, SW_SHOWNORMAL);
  else if (lstrcmpA(show, "minimized") == 0 || lstrcmpA(show, "minimised") == 0)
    ShowWindow(window, SW_SHOWMINIMIZED);
  UpdateWindow(window);
  char handle[24];
  json_out out = out_json();
  json_open(out);
  json_text(out, "event", "ready");
  json_text(out, "hwnd", handle_text(window, handle));
  json_close(out);
  out_line_end();
  run_until_stopped(args, 60, [] { return own_window_closing; });
  return exit_ok;
}

int cmd_window_info(const probe_args& args) {
  if (!args.has("all")) {
    HWND window = target_window(args);
    return print_window(window && IsWindow(window) ? window : nullptr);
  }
  json_out out = out_json();  // every top-level window of the class
  class_filter filter{args.get("class"), &out};
  json_open(out);
  json_open_list(out, "windows");
  EnumWindows(add_of_class, LPARAM(&filter));
  json_close_list(out);
  json_close(out);
  out_line_end();
  return exit_ok;
}

int cmd_wait_window(const probe_args& args) {
  int64_t timeout = 5000;
  args.number("timeout", timeout);
  DWORD end = GetTickCount() + DWORD(timeout);
  HWND window;
  while (!(window = target_window(args)) || !IsWindowVisible(window)) {
    if (int32_t(end - GetTickCount()) <= 0) return print_window(nullptr);
    Sleep(50);
  }
  return print_window(window);
}

// Posts "MSG WPARAM LPARAM" of each line of the file; the count posted.
uint32_t post_list(HWND window, const char* path) {
  std::ifstream in(path);
  std::string line, word;
  uint32_t posted = 0;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    int64_t number[3];
    bool parsed = true;
    for (int i = 0; i < 3; i++)
      parsed = parsed && words >> word && parse_number(word.c_str(), number[i]);
    if (parsed && PostMessageA(window, UINT(number[0]), WPARAM(number[1]), LPARAM(number[2]))) posted++;
  }
  return posted;
}

int cmd_message(const probe_args& args) {
  // The window is looked for a little while: one that a test has just seen
  // may be between two states of the desktop's window list.
  HWND window = nullptr;
  for (int tries = 0; tries < 20 && !window; tries++) {
    if (tries) Sleep(100);
    window = target_window(args);
  }
  if (window && args.has("list")) {
    json_out out = out_json();
    json_open(out);
    json_uint(out, "posted", post_list(window, args.get("list")));
    json_close(out);
    out_line_end();
    return exit_ok;
  }
  int64_t id, message = 0, wparam = 0, lparam = 0;
  if (window && args.number("child-id", id)) window = GetDlgItem(window, int(id));
  if (!args.number("msg", message)) return usage_error("message", "--msg is required");
  args.number("wparam", wparam);
  args.number("lparam", lparam);
  if (args.has("text")) lparam = int64_t(intptr_t(args.get("text")));
  json_out out = out_json();
  json_open(out);
  if (!window) {
    json_null(out, "window");
    json_close(out);
    out_line_end();
    return exit_no_reply;
  }
  char handle[24];
  json_text(out, "hwnd", handle_text(window, handle));
  json_fixed(out, "at", unix_seconds());
  if (args.has("post"))
    json_bool(out, "posted", PostMessageA(window, UINT(message), WPARAM(wparam), LPARAM(lparam)) != 0);
  else
    wide_number(out, "result", (long long)SendMessageA(window, UINT(message), WPARAM(wparam), LPARAM(lparam)));
  json_close(out);
  out_line_end();
  return exit_ok;
}
