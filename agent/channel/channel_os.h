// What the request channel needs of the platform: global memory, the
// clipboard and its viewer chain, and messages. The Win32 adapter
// (channel_os_win32.cpp) implements these; unit tests put a recording fake
// in their place.
#pragma once
#include <cstdint>

using os_handle = void*;  // HGLOBAL, HWND and friends

os_handle os_global_alloc(uint32_t size);  // moveable, not zero-filled
void* os_global_lock(os_handle memory);
void os_global_unlock(os_handle memory);
void os_global_free(os_handle memory);
uint32_t os_global_size(os_handle memory);

bool os_open_clipboard(os_handle window);  // false while another program has it open
os_handle os_get_clipboard_data(unsigned format);
bool os_empty_clipboard();
bool os_set_clipboard_data(unsigned format, os_handle memory);  // false: not taken
void os_close_clipboard();

os_handle os_set_clipboard_viewer(os_handle window);
void os_change_clipboard_chain(os_handle window, os_handle next);

bool os_post_message(os_handle window, unsigned message, uintptr_t wparam, intptr_t lparam);
intptr_t os_send_message(os_handle window, unsigned message, uintptr_t wparam, intptr_t lparam);

void os_sleep(uint32_t milliseconds);
uint32_t os_tick_ms();  // milliseconds; may wrap around
