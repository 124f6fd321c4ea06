// The Windows settings behind directory discovery.
#include <windows.h>

#include "setup/windows_settings.h"

uint32_t read_windows_directory(char* buffer, uint32_t size) {
  return GetWindowsDirectoryA(buffer, size);
}

uint32_t read_system_directory(char* buffer, uint32_t size) {
  return GetSystemDirectoryA(buffer, size);
}

uint32_t read_environment_variable(const char* name, char* buffer, uint32_t size) {
  return GetEnvironmentVariableA(name, buffer, size);
}

uint32_t read_module_path(char* buffer, uint32_t size) {
  return GetModuleFileNameA(nullptr, buffer, size);  // size itself when cut
}

bool windows_is_nt() { return (GetVersion() & 0x80000000u) == 0; }
