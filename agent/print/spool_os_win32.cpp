// The environment, the existence test and the code page's lead bytes on Win32.
#include <windows.h>

#include "agent/print/spool_os.h"

uint32_t spool_os_environment(const char* name, char* out, uint32_t capacity) {
  if (capacity > 0) out[0] = 0;
  DWORD length = GetEnvironmentVariableA(name, out, capacity);
  if (length >= capacity && capacity > 0) out[0] = 0;  // too long: the size it would need
  return length;
}

path_state spool_os_path_state(const char* path) {
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return path_exists;
  return GetLastError() == ERROR_ACCESS_DENIED ? path_denied : path_missing;
}

bool spool_os_is_lead_byte(uint8_t byte) { return IsDBCSLeadByte(byte) != 0; }
