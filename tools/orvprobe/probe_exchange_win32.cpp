#include "tools/orvprobe/probe_exchange_win32.h"

#include <cstdio>

#include "agent/channel/exchange_block.h"
#include "common/retry_within.h"
#include "tools/orvprobe/probe_args.h"
#include "tools/orvprobe/probe_json.h"

static probe_channel* active = nullptr;

std::string hwnd_text(HWND window) {
  char text[32];
  snprintf(text, sizeof text, "%llu", (unsigned long long)(uintptr_t)window);
  return text;
}

// Another program may have the clipboard open for a moment (a clipboard
// manager, another viewer reading the same change): tried again for a
// bounded time, as the agent does, so that a reply is not missed for that.
bool probe_open_clipboard(HWND window) {
  return retry_within(
      clipboard_wait_ms, clipboard_pause_ms, [&] { return OpenClipboard(window) != 0; },
      [] { return uint32_t(GetTickCount()); }, [](uint32_t ms) { Sleep(ms); });
}

static bool read_format10(HWND window, std::vector<uint8_t>& bytes) {
  bytes.clear();
  if (!probe_open_clipboard(window)) return false;
  HANDLE object = GetClipboardData(exchange_format);
  if (object) {
    SIZE_T size = GlobalSize(object);
    auto* p = static_cast<const uint8_t*>(GlobalLock(object));
    if (p) {
      bytes.assign(p, p + size);
      GlobalUnlock(object);
    }
  }
  CloseClipboard();
  return object != nullptr;
}

static void on_draw_clipboard(probe_channel& c) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  std::vector<uint8_t> bytes;
  bool present = read_format10(c.window, bytes);
  if (c.waiting && !c.have_reply && bytes.size() >= header_size &&
      get_u32(&bytes[off_magic]) == reply_magic && get_u32(&bytes[off_sequence]) == c.awaited_sequence) {
    c.have_reply = true;
    c.reply = bytes;
    c.reply_time = now;
  }
  if (c.watching) {
    json_object event;
    // Wine's performance counter is one clock for every process of the
    // prefix, so the tests can order these events against other probes'.
    event.field("event", "draw_clipboard").field("t_ms", probe_ms_between(LARGE_INTEGER{}, now));
    if (present) {
      json_object block;
      block.field("size", int64_t(bytes.size()));
      if (bytes.size() >= 4) block.field("magic", int64_t(get_u32(&bytes[0])));
      if (bytes.size() >= off_code + 2) {
        block.field("sequence", int64_t(get_u32(&bytes[off_sequence])));
        block.field("code", int64_t(get_u16(&bytes[off_code])));
      }
      event.raw("format10", block.text());
    } else {
      event.null("format10");
    }
    printf("%s\n", event.text().c_str());
    fflush(stdout);
  }
}

static LRESULT CALLBACK probe_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  probe_channel* c = active;
  if (c && window == c->window) {
    if (message == WM_DRAWCLIPBOARD) {
      on_draw_clipboard(*c);
      if (c->forward && c->next) SendMessageA(c->next, message, wparam, lparam);
      return 0;
    }
    if (message == WM_CHANGECBCHAIN) {
      bool repairs = HWND(wparam) == c->next;
      if (c->watching) {
        printf("%s\n", json_object()
                           .field("event", "change_cb_chain")
                           .field("leaving", hwnd_text(HWND(wparam)))
                           .field("following", hwnd_text(HWND(lparam)))
                           .text()
                           .c_str());
        fflush(stdout);
      }
      if (repairs) {
        c->next = HWND(lparam);
      } else if (c->next) {
        SendMessageA(c->next, message, wparam, lparam);
      }
      return 0;
    }
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

bool probe_open(probe_channel& c, bool join_chain) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = probe_window_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "OrvProbe";
  RegisterClassA(&wc);
  c.window = CreateWindowExA(0, "OrvProbe", "orvprobe", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             wc.hInstance, nullptr);
  if (!c.window) return false;
  active = &c;
  if (join_chain) {
    c.next = SetClipboardViewer(c.window);
    c.joined = true;
    probe_pump(0);  // the joining notification is not a reply
  }
  return true;
}

void probe_close(probe_channel& c) {
  if (c.joined) ChangeClipboardChain(c.window, c.next);
  c.joined = false;
  if (c.window) DestroyWindow(c.window);
  c.window = nullptr;
  active = nullptr;
}

bool probe_write(probe_channel& c, const std::vector<uint8_t>& bytes) {
  // The reply can come while this write's own notification is still on its
  // way down the chain (this window is the chain's first viewer, and it
  // waits in SendMessageA for the next one): so the wait for the reply with
  // the block's sequence begins before the write, not after it.
  c.have_reply = false;
  c.waiting = bytes.size() >= off_sequence + 4;
  if (c.waiting) c.awaited_sequence = get_u32(&bytes[off_sequence]);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
  if (!memory) return false;
  void* p = GlobalLock(memory);
  if (!bytes.empty()) memcpy(p, bytes.data(), bytes.size());
  GlobalUnlock(memory);
  if (!probe_open_clipboard(c.window)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  bool taken = SetClipboardData(exchange_format, memory) != nullptr;
  CloseClipboard();
  if (!taken) GlobalFree(memory);
  return taken;
}

void probe_pump(DWORD milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
  }
}

bool probe_wait_reply(probe_channel& c, uint32_t sequence, DWORD timeout_ms) {
  if (!c.waiting || c.awaited_sequence != sequence) c.have_reply = false;
  c.waiting = true;
  c.awaited_sequence = sequence;
  DWORD start = GetTickCount();
  while (!c.have_reply) {
    MSG m;
    while (!c.have_reply && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    if (c.have_reply) break;
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeout_ms) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, timeout_ms - elapsed, QS_ALLINPUT);
  }
  c.waiting = false;
  return c.have_reply;
}

std::string probe_clipboard_json(HWND window) {
  json_object out;
  std::string formats = "[";
  std::vector<uint8_t> bytes;
  if (probe_open_clipboard(window)) {
    for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) {
      if (formats.size() > 1) formats += ",";
      formats += std::to_string(f);
    }
    CloseClipboard();
  }
  out.raw("formats", formats + "]");
  if (read_format10(window, bytes)) {
    out.field("format10_size", int64_t(bytes.size()));
    out.field("format10_hex", to_hex(bytes.data(), bytes.size()));
  } else {
    out.null("format10_hex");
  }
  return out.text();
}

double probe_ms_between(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

double probe_unix_seconds() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  uint64_t ticks = (uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime;  // 100 ns since 1601
  return double(ticks - 116444736000000000ULL) / 1e7;
}
