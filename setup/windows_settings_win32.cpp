// The Windows settings behind directory discovery.
#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "setup/registry_store.h"
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

// The first Windows 95's shell has these three; SHGetSpecialFolderPath came
// with a later shell update.
uint32_t read_shell_folder(shell_folder folder, char* buffer, uint32_t size) {
  LPITEMIDLIST items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folder == startup_folder ? CSIDL_STARTUP
                                                                          : CSIDL_SENDTO,
                                        &items)))
    return 0;
  char path[MAX_PATH] = "";
  BOOL named = SHGetPathFromIDListA(items, path);
  IMalloc* shell_memory = nullptr;
  if (SUCCEEDED(SHGetMalloc(&shell_memory))) {
    shell_memory->Free(items);
    shell_memory->Release();
  }
  uint32_t length = named ? uint32_t(strlen(path)) : 0;
  if (length == 0 || length >= size) return length ? length + 1 : 0;
  memcpy(buffer, path, length + 1);
  return length;
}

// Windows writes a plain text there; an expandable one is no name that
// Windows 95 gives the folder, and its unexpanded text names no folder.
uint32_t read_program_files_dir(char* buffer, uint32_t size) {
  return system_registry().read_value(local_machine, "Software\\Microsoft\\Windows\\CurrentVersion",
                                      "ProgramFilesDir", buffer, size) == value_text
             ? uint32_t(strlen(buffer))
             : 0;
}

bool directory_exists(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool windows_is_nt() { return (GetVersion() & 0x80000000u) == 0; }
