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

// What can be learnt of the clipboard without opening it. The sequence
// number changes with every change; Windows 95 keeps none (0).
uint32_t os_clipboard_sequence();
os_handle os_clipboard_owner();
int os_count_clipboard_formats();
bool os_clipboard_has(unsigned format);

os_handle os_clipboard_viewer();  // the head of the viewer chain, none when it is empty
os_handle os_set_clipboard_viewer(os_handle window);
void os_change_clipboard_chain(os_handle window, os_handle next);
bool os_is_window(os_handle window);

bool os_post_message(os_handle window, unsigned message, uintptr_t wparam, intptr_t lparam);
// Sends and waits at most timeout_ms, and not at all for a window that has
// stopped taking messages. False when it was not answered: hung, too slow
// or gone.
bool os_send_message_bounded(os_handle window, unsigned message, uintptr_t wparam, intptr_t lparam,
                             uint32_t timeout_ms);
void os_start_timer(os_handle window, uintptr_t id, uint32_t period_ms);
void os_stop_timer(os_handle window, uintptr_t id);

void os_sleep(uint32_t milliseconds);
uint32_t os_tick_ms();  // milliseconds; may wrap around
