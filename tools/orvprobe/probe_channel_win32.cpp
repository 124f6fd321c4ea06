#include "tools/orvprobe/probe_channel_win32.h"

#include <cstring>

#include "agent/channel/exchange_block.h"
#include "common/decimal_text.h"
#include "common/retry_within.h"
#include "common/viewer_send.h"
#include "tools/orvprobe/json_out.h"
#include "tools/orvprobe/probe_block.h"

bool send_to_viewer(HWND viewer, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result;
  return SendMessageTimeoutA(viewer, message, wparam, lparam, SMTO_ABORTIFHUNG,
                             viewer_send_timeout_ms, &result) != 0;
}

namespace {

constexpr uint32_t reply_capacity = 65536;

struct channel_state {
  HWND window;
  HWND next;
  LONG joined;  // also read by the console's control handler, on a thread of its own
  bool forward;
  bool waiting;
  uint32_t awaited_sequence;
  bool have_reply;
  uint32_t reply_size;
  LARGE_INTEGER reply_time;
  const channel_watcher* watcher;
} channel = {nullptr, nullptr, 0, true, false, 0, false, 0, {}, nullptr};

uint8_t reply[reply_capacity];

void on_draw_clipboard() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  if (!channel_open_clipboard(channel.window)) return;
  HANDLE object = GetClipboardData(exchange_format);
  auto* bytes = object ? static_cast<const uint8_t*>(GlobalLock(object)) : nullptr;
  uint32_t size = bytes ? uint32_t(GlobalSize(object)) : 0;
  if (channel.waiting && !channel.have_reply && size >= header_size &&
      get_u32(bytes + off_magic) == reply_magic &&
      get_u32(bytes + off_sequence) == channel.awaited_sequence) {
    channel.have_reply = true;
    channel.reply_size = size < reply_capacity ? size : reply_capacity;
    memcpy(reply, bytes, channel.reply_size);
    channel.reply_time = now;
  }
  if (channel.watcher) channel.watcher->changed(bytes, size, now);
  if (bytes) GlobalUnlock(object);
  CloseClipboard();
}

LRESULT CALLBACK channel_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (window == channel.window && message == WM_DRAWCLIPBOARD) {
    on_draw_clipboard();
    if (channel.forward && channel.next) send_to_viewer(channel.next, message, wparam, lparam);
    return 0;
  }
  if (window == channel.window && message == WM_CHANGECBCHAIN) {
    if (channel.watcher) channel.watcher->chain_changed(HWND(wparam), HWND(lparam));
    if (HWND(wparam) == channel.next) channel.next = HWND(lparam);
    else if (channel.next) send_to_viewer(channel.next, message, wparam, lparam);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// Leaves the chain once. ChangeClipboardChain waits on the head without a
// bound when this window is not the head itself, so a head that does not
// answer is not asked: this window then drops out as a dead one would.
void leave_chain() {
  if (!InterlockedExchange(&channel.joined, 0)) return;
  HWND head = GetClipboardViewer();
  if (head == channel.window || (head && send_to_viewer(head, WM_NULL, 0, 0)))
    ChangeClipboardChain(channel.window, channel.next);
}

// Ctrl+C, Ctrl+Break, the console closed, logoff and shutdown end the
// program from another thread, without the normal way out: the chain is
// left first. A viewer that ends without leaving cuts off every viewer
// behind it, the agent among them.
BOOL WINAPI leave_chain_on_end(DWORD) {
  leave_chain();
  return FALSE;  // and then the default: the program ends
}

// The reply may come while the write's own notification is still on its
// way down the chain (this window is the chain's first viewer and waits in
// its bounded send to the next one), so the wait begins before the write.
bool publish(HGLOBAL memory, uint32_t size, const uint8_t* bytes) {
  channel.have_reply = false;
  channel.waiting = size >= off_sequence + 4;
  if (channel.waiting) channel.awaited_sequence = get_u32(bytes + off_sequence);
  if (!channel_open_clipboard(channel.window)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  bool taken = SetClipboardData(exchange_format, memory) != nullptr;
  CloseClipboard();
  if (!taken) GlobalFree(memory);
  return taken;
}

}  // namespace

bool channel_open(bool join_chain) {
  WNDCLASSA wc;
  memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = channel_window_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "OrvProbe";
  RegisterClassA(&wc);
  channel.window = CreateWindowExA(0, "OrvProbe", "orvprobe", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   wc.hInstance, nullptr);
  if (!channel.window) return false;
  if (join_chain) {
    SetConsoleCtrlHandler(leave_chain_on_end, TRUE);
    channel.next = SetClipboardViewer(channel.window);
    channel.joined = 1;
    channel_pump(0);  // the joining notification is not a reply
  }
  return true;
}

void channel_close() {
  leave_chain();
  if (channel.window) DestroyWindow(channel.window);
  channel.window = nullptr;
}

HWND channel_window() { return channel.window; }
HWND channel_next_viewer() { return channel.next; }
void channel_forward(bool forward) { channel.forward = forward; }
void channel_watch(const channel_watcher* watcher) { channel.watcher = watcher; }

bool channel_write_request(const request_spec& spec) {
  uint32_t size = request_object_size(spec);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  auto* block = memory ? static_cast<uint8_t*>(GlobalLock(memory)) : nullptr;
  if (!block) {
    if (memory) GlobalFree(memory);
    return false;
  }
  build_request(spec, block, size);
  uint8_t head[header_size];
  memcpy(head, block, size < header_size ? size : header_size);
  GlobalUnlock(memory);
  return publish(memory, size, head);
}

bool channel_write_object(const uint8_t* bytes, uint32_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
  void* area = memory ? GlobalLock(memory) : nullptr;
  if (!area) {
    if (memory) GlobalFree(memory);
    return false;
  }
  memcpy(area, bytes, size);
  GlobalUnlock(memory);
  return publish(memory, size, bytes);
}

namespace {

// Handles messages until done() or until milliseconds have passed; returns done().
template <typename Done>
bool pump_until(DWORD milliseconds, Done done) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG m;
    while (!done() && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    DWORD elapsed = GetTickCount() - start;
    if (done() || elapsed >= milliseconds) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
  }
}

}  // namespace

void channel_pump(DWORD milliseconds) {
  pump_until(milliseconds, [] { return false; });
}

bool channel_wait_reply(uint32_t sequence, DWORD timeout_ms) {
  if (!channel.waiting || channel.awaited_sequence != sequence) channel.have_reply = false;
  channel.waiting = true;
  channel.awaited_sequence = sequence;
  pump_until(timeout_ms, [] { return channel.have_reply; });
  channel.waiting = false;
  return channel.have_reply;
}

const uint8_t* channel_reply() { return reply; }
uint32_t channel_reply_size() { return channel.reply_size; }
uint16_t channel_reply_code() { return get_u16(reply + off_code); }
LARGE_INTEGER channel_reply_time() { return channel.reply_time; }

// Another program may have the clipboard open for a moment (a clipboard
// manager, another viewer reading the same change): tried again for a
// bounded time, as the agent does, so that a reply is not missed for that.
bool channel_open_clipboard(HWND window) {
  return retry_within(
      clipboard_wait_ms, clipboard_pause_ms, [&] { return OpenClipboard(window) != 0; },
      [] { return uint32_t(GetTickCount()); }, [](uint32_t ms) { Sleep(ms); });
}

void describe_clipboard(json_out& out, const char* name) {
  json_open(out, name);
  json_open_list(out, "formats");
  bool open = channel_open_clipboard(channel.window);
  if (open)
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
      json_uint(out, nullptr, format);
  json_close_list(out);
  HANDLE object = open ? GetClipboardData(exchange_format) : nullptr;
  auto* bytes = object ? static_cast<const uint8_t*>(GlobalLock(object)) : nullptr;
  if (bytes) {
    uint32_t size = uint32_t(GlobalSize(object));
    json_uint(out, "format10_size", size);
    json_hex(out, "format10_hex", bytes, size);
    GlobalUnlock(object);
  } else {
    json_null(out, "format10_hex");
  }
  if (open) CloseClipboard();
  json_close(out);
}

double ms_between(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

double unix_seconds() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  // 100 ns steps since 1601; 11,644,473,600 s lie between 1601 and 1970.
  double ticks = double(now.dwHighDateTime) * 4294967296.0 + double(now.dwLowDateTime);
  return ticks / 1e7 - 11644473600.0;
}

const char* handle_text(HWND window, char* text) {
  decimal_text(reinterpret_cast<uintptr_t>(window), text);
  return text;
}
