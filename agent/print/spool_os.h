// What spool naming needs of the platform: the environment, an existence
// test that tells denied access apart, and the double-byte lead bytes of
// the current code page. Win32 adapter: spool_os_win32.cpp.
#pragma once
#include <cstdint>

// Copies the variable's value into out when it fits. Returns the value's
// length, 0 when the variable isn't set; a value that doesn't fit returns
// its length (>= capacity) and leaves out empty.
uint32_t spool_os_environment(const char* name, char* out, uint32_t capacity);

enum path_state { path_missing, path_exists, path_denied };
path_state spool_os_path_state(const char* path);

bool spool_os_is_lead_byte(uint8_t byte);
