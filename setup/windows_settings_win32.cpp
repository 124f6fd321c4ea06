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
