// copy_file's file calls on Win32.
#include <windows.h>

#include "setup/install/file_io.h"

namespace {

file_handle handle_or_null(HANDLE file) { return file == INVALID_HANDLE_VALUE ? nullptr : file; }

}  // namespace

file_handle file_open_read(const char* path) {
  return handle_or_null(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

file_handle file_create(const char* path) {
  return handle_or_null(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool file_length(file_handle file, uint32_t* length) {
  LONG high = 0;
  SetLastError(NO_ERROR);  // the low part alone cannot tell failure from a length
  DWORD end = SetFilePointer(file, 0, &high, FILE_END);
  if (end == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return false;
  if (high != 0) return false;  // 4 GiB or more: not one of ours
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  *length = end;
  return true;
}

bool file_read(file_handle file, void* buffer, uint32_t size, uint32_t* done) {
  DWORD got = 0;
  BOOL ok = ReadFile(file, buffer, size, &got, nullptr);
  *done = got;
  return ok != FALSE;
}

bool file_write(file_handle file, const void* buffer, uint32_t size, uint32_t* done) {
  DWORD put = 0;
  BOOL ok = WriteFile(file, buffer, size, &put, nullptr);
  *done = put;
  return ok != FALSE;
}

void file_close(file_handle file) { CloseHandle(file); }

void file_delete(const char* path) { DeleteFileA(path); }
