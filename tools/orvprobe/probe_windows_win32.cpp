// Commands that own, find, inspect and message windows: the console window
// stand-in, and the handles the tests need to drive dialogs and menus.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/orvprobe/probe_commands.h"
#include "tools/orvprobe/probe_exchange_win32.h"
#include "tools/orvprobe/probe_json.h"

static bool own_window_closing = false;

// Messages too frequent or too dull to report.
static bool is_noise(UINT m) {
  switch (m) {
    case WM_PAINT: case WM_NCPAINT: case WM_ERASEBKGND: case WM_NCHITTEST: case WM_SETCURSOR:
    case WM_MOUSEMOVE: case WM_NCMOUSEMOVE: case WM_TIMER: case WM_GETICON: case WM_GETTEXT:
    case WM_GETTEXTLENGTH: case WM_GETMINMAXINFO: case WM_NCCALCSIZE: case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED: case WM_MOVE: case WM_SIZE: case 0x0090: case 0x031F:
      return true;
  }
  return false;
}

static LRESULT CALLBACK stand_in_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!is_noise(message)) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    printf("%s\n", json_object()
                       .field("event", "message")
                       .field("t_ms", probe_ms_between(LARGE_INTEGER{}, now))
                       .field("msg", int64_t(message))
                       .field("wparam", int64_t(wparam))
                       .field("lparam", int64_t(lparam))
                       .text()
                       .c_str());
    fflush(stdout);
  }
  // A posted WM_DESTROY is only reported: the window stays, like an agent
  // that does not react. Closing it for real ends the command.
  if (message == WM_CLOSE) own_window_closing = true;
  return DefWindowProcA(window, message, wparam, lparam);
}

int cmd_window(const probe_args& args) {
  std::string class_name = args.get("class", "tty");
  std::string title = args.get("title", "MS-DOS Prompt - ORVIK");
  std::string show = args.get("show", "visible");
  int64_t seconds = 60;
  args.number("seconds", seconds);
  WNDCLASSA wc{};
  wc.lpfnWndProc = stand_in_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  wc.lpszClassName = class_name.c_str();
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, class_name.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 640,
                                400, nullptr, nullptr, wc.hInstance, nullptr);
  if (!window) {
    fprintf(stderr, "orvprobe window: cannot create the window\n");
    return exit_failed;
  }
  if (show == "visible") ShowWindow(window, SW_SHOWNORMAL);
  else if (show == "minimized" || show == "minimised") ShowWindow(window, SW_SHOWMINIMIZED);
  UpdateWindow(window);
  printf("%s\n", json_object().field("event", "ready").field("hwnd", hwnd_text(window)).text().c_str());
  fflush(stdout);
  std::string stop = args.get("stop-file");
  DWORD end = GetTickCount() + DWORD(seconds * 1000);
  while (int32_t(end - GetTickCount()) > 0 && !own_window_closing) {
    probe_pump(50);
    if (!stop.empty() && GetFileAttributesA(stop.c_str()) != INVALID_FILE_ATTRIBUTES) break;
  }
  return exit_ok;
}

// --hwnd N, else FindWindowA(--class, --title): either may be left out.
static HWND target_window(const probe_args& args) {
  int64_t handle;
  if (args.number("hwnd", handle)) return HWND(uintptr_t(handle));
  std::string class_name = args.get("class"), title = args.get("title");
  return FindWindowA(class_name.empty() ? nullptr : class_name.c_str(),
                     args.has("title") ? title.c_str() : nullptr);
}

static std::string window_json(HWND window, bool with_children);

static BOOL CALLBACK add_child(HWND child, LPARAM list) {
  auto* json = reinterpret_cast<std::string*>(list);
  if (json->size() > 1) *json += ",";
  *json += window_json(child, false);
  return TRUE;
}

static std::string rect_json(const RECT& r) {
  char text[64];
  snprintf(text, sizeof text, "[%ld,%ld,%ld,%ld]", long(r.left), long(r.top), long(r.right), long(r.bottom));
  return text;
}

// GetWindowTextA does not ask a control of another process for its text, and
// Wine hands a cross-process CB_GETLBTEXT sent as ANSI back unconverted; so
// both are asked for in UTF-16 and converted here.
static std::string ansi_of(const wchar_t* text) {
  char out[512] = "";
  WideCharToMultiByte(CP_ACP, 0, text, -1, out, sizeof out, nullptr, nullptr);
  out[sizeof out - 1] = 0;
  return out;
}

static std::string text_of(HWND window) {
  wchar_t text[512] = L"";
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 512, LPARAM(text), SMTO_ABORTIFHUNG, 2000, &length))
    return "";
  text[511] = 0;
  return ansi_of(text);
}

static std::string combo_item_of(HWND combo, LRESULT index) {
  wchar_t item[512] = L"";
  if (SendMessageW(combo, CB_GETLBTEXTLEN, index, 0) >= 512) return "";
  SendMessageW(combo, CB_GETLBTEXT, index, LPARAM(item));
  item[511] = 0;
  return ansi_of(item);
}

static std::string window_json(HWND window, bool with_children) {
  char class_name[128] = "";
  std::string text = text_of(window);
  GetClassNameA(window, class_name, sizeof class_name);
  RECT r{};
  GetWindowRect(window, &r);
  LONG style = GetWindowLongA(window, GWL_STYLE);
  json_object out;
  out.field("hwnd", hwnd_text(window))
      .field("class", class_name)
      .field("text", text)
      .field("id", int64_t(GetDlgCtrlID(window)))
      .field("style", int64_t(uint32_t(style)))
      .field("visible", IsWindowVisible(window) != 0)
      .field("enabled", IsWindowEnabled(window) != 0)
      .field("iconic", IsIconic(window) != 0)
      .field("owner", hwnd_text(GetWindow(window, GW_OWNER)))
      .field("pid", int64_t([&] { DWORD pid = 0; GetWindowThreadProcessId(window, &pid); return pid; }()))
      .raw("rect", rect_json(r));
  if (lstrcmpiA(class_name, "Button") == 0)
    out.field("checked", int64_t(SendMessageA(window, BM_GETCHECK, 0, 0)));
  if (lstrcmpiA(class_name, "ComboBox") == 0) {
    LRESULT selected = SendMessageA(window, CB_GETCURSEL, 0, 0);
    out.field("selected", int64_t(selected))
        .field("selected_text", selected >= 0 ? combo_item_of(window, selected) : std::string());
  }
  if (with_children) {
    std::string children = "[";
    EnumChildWindows(window, add_child, LPARAM(&children));
    out.raw("children", children + "]");
  }
  return out.text();
}

struct class_filter {
  std::string class_name;
  std::string list = "[";
};

static BOOL CALLBACK add_of_class(HWND window, LPARAM filter) {
  auto* f = reinterpret_cast<class_filter*>(filter);
  char class_name[128] = "";
  GetClassNameA(window, class_name, sizeof class_name);
  if (f->class_name == class_name) {
    if (f->list.size() > 1) f->list += ",";
    f->list += window_json(window, false);
  }
  return TRUE;
}

int cmd_window_info(const probe_args& args) {
  if (args.has("all")) {  // every top-level window of the class
    class_filter filter{args.get("class")};
    EnumWindows(add_of_class, LPARAM(&filter));
    printf("%s\n", json_object().raw("windows", filter.list + "]").text().c_str());
    return exit_ok;
  }
  HWND window = target_window(args);
  if (!window || !IsWindow(window)) {
    printf("%s\n", json_object().null("window").text().c_str());
    return exit_no_reply;
  }
  printf("%s\n", json_object().raw("window", window_json(window, true)).text().c_str());
  return exit_ok;
}

int cmd_wait_window(const probe_args& args) {
  int64_t timeout = 5000;
  args.number("timeout", timeout);
  DWORD end = GetTickCount() + DWORD(timeout);
  HWND window;
  while (!(window = target_window(args)) || !IsWindowVisible(window)) {
    if (int32_t(end - GetTickCount()) <= 0) {
      printf("%s\n", json_object().null("window").text().c_str());
      return exit_no_reply;
    }
    Sleep(50);
  }
  printf("%s\n", json_object().raw("window", window_json(window, true)).text().c_str());
  return exit_ok;
}

int cmd_message(const probe_args& args) {
  // The window is looked for a little while: one that a test has just seen
  // may be between two states of the desktop's window list.
  HWND window = nullptr;
  for (int tries = 0; tries < 20 && !window; tries++) {
    if (tries) Sleep(100);
    window = target_window(args);
  }
  int64_t id;
  if (window && args.number("child-id", id)) window = GetDlgItem(window, int(id));
  int64_t message = 0, wparam = 0, lparam = 0;
  if (!args.number("msg", message)) {
    fprintf(stderr, "orvprobe message: --msg is required\n");
    return exit_usage;
  }
  args.number("wparam", wparam);
  args.number("lparam", lparam);
  std::string text = args.get("text");
  if (args.has("text")) lparam = int64_t(intptr_t(text.c_str()));
  if (!window) {
    printf("%s\n", json_object().null("window").text().c_str());
    return exit_no_reply;
  }
  json_object out;
  out.field("hwnd", hwnd_text(window)).field("at", probe_unix_seconds());
  if (args.has("post")) {
    out.field("posted", PostMessageA(window, UINT(message), WPARAM(wparam), LPARAM(lparam)) != 0);
  } else {
    out.field("result", int64_t(SendMessageA(window, UINT(message), WPARAM(wparam), LPARAM(lparam))));
  }
  printf("%s\n", out.text().c_str());
  return exit_ok;
}
