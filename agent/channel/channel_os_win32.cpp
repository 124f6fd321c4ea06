// The channel's platform calls, straight onto Win32.
#include <windows.h>

#include "channel_os.h"

os_handle os_global_alloc(uint32_t size) { return GlobalAlloc(GMEM_MOVEABLE, size); }
void* os_global_lock(os_handle memory) { return GlobalLock(memory); }
void os_global_unlock(os_handle memory) { GlobalUnlock(memory); }
void os_global_free(os_handle memory) { GlobalFree(memory); }
uint32_t os_global_size(os_handle memory) { return uint32_t(GlobalSize(memory)); }

bool os_open_clipboard(os_handle window) { return OpenClipboard(HWND(window)) != 0; }
os_handle os_get_clipboard_data(unsigned format) { return GetClipboardData(format); }
bool os_empty_clipboard() { return EmptyClipboard() != 0; }
bool os_set_clipboard_data(unsigned format, os_handle memory) {
  return SetClipboardData(format, HANDLE(memory)) != nullptr;
}
void os_close_clipboard() { CloseClipboard(); }

// GetClipboardSequenceNumber came with Windows 98 and 2000: looked up once,
// so that the agent still starts on Windows 95.
using sequence_fn = DWORD(WINAPI*)();
static sequence_fn clipboard_sequence;
static bool sequence_looked_up;

uint32_t os_clipboard_sequence() {
  if (!sequence_looked_up) {
    sequence_looked_up = true;
    clipboard_sequence = reinterpret_cast<sequence_fn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "GetClipboardSequenceNumber")));
  }
  return clipboard_sequence ? uint32_t(clipboard_sequence()) : 0;
}
os_handle os_clipboard_owner() { return GetClipboardOwner(); }
int os_count_clipboard_formats() { return CountClipboardFormats(); }
bool os_clipboard_has(unsigned format) { return IsClipboardFormatAvailable(format) != 0; }

os_handle os_clipboard_viewer() { return GetClipboardViewer(); }
os_handle os_set_clipboard_viewer(os_handle window) { return SetClipboardViewer(HWND(window)); }
void os_change_clipboard_chain(os_handle window, os_handle next) {
  ChangeClipboardChain(HWND(window), HWND(next));
}
bool os_is_window(os_handle window) { return IsWindow(HWND(window)) != 0; }

bool os_post_message(os_handle window, unsigned message, uintptr_t wparam, intptr_t lparam) {
  return PostMessageA(HWND(window), message, WPARAM(wparam), LPARAM(lparam)) != 0;
}
bool os_send_message_bounded(os_handle window, unsigned message, uintptr_t wparam, intptr_t lparam,
                             uint32_t timeout_ms) {
  DWORD_PTR result;
  return SendMessageTimeoutA(HWND(window), message, WPARAM(wparam), LPARAM(lparam),
                             SMTO_ABORTIFHUNG, timeout_ms, &result) != 0;
}
void os_start_timer(os_handle window, uintptr_t id, uint32_t period_ms) {
  SetTimer(HWND(window), id, period_ms, nullptr);
}
void os_stop_timer(os_handle window, uintptr_t id) { KillTimer(HWND(window), id); }

void os_sleep(uint32_t milliseconds) { Sleep(milliseconds); }
uint32_t os_tick_ms() { return GetTickCount(); }
