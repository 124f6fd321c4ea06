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

os_handle os_set_clipboard_viewer(os_handle window) { return SetClipboardViewer(HWND(window)); }
void os_change_clipboard_chain(os_handle window, os_handle next) {
  ChangeClipboardChain(HWND(window), HWND(next));
}

bool os_post_message(os_handle window, unsigned message, uintptr_t wparam, intptr_t lparam) {
  return PostMessageA(HWND(window), message, WPARAM(wparam), LPARAM(lparam)) != 0;
}
intptr_t os_send_message(os_handle window, unsigned message, uintptr_t wparam, intptr_t lparam) {
  return SendMessageA(HWND(window), message, WPARAM(wparam), LPARAM(lparam));
}

void os_sleep(uint32_t milliseconds) { Sleep(milliseconds); }
uint32_t os_tick_ms() { return GetTickCount(); }
