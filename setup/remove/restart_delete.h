// Deleting a file when Windows next starts, the documented ways, and taking
// such a deletion back. On Windows NT: MoveFileEx's delayed delete, which
// Windows keeps as a pair (the file's "\??\" path, then an empty text) in
// PendingFileRenameOperations. On Windows 95 and 98: a line
// "NUL=<short path>" in the [rename] section of WININIT.INI in the Windows
// directory, among the lines other programs left there (the section is read
// and written back whole: WritePrivateProfileString would replace another
// program's NUL= line).
#pragma once
#include <cstdint>

#include "setup/registry_store.h"
#include "setup/remove/removal_record.h"

// What deleting at restart needs of the system; restart_os_win32.cpp calls
// Windows, unit tests record.
class restart_os {
 public:
  // False when there is none (no such file) or it does not fit.
  virtual bool short_path(const char* path, char* out, uint32_t capacity) = 0;
  // A profile section as lines each ended by a NUL, one more NUL after the
  // last; returns the characters before that last NUL (capacity - 2: cut).
  virtual uint32_t read_profile_section(const char* file, const char* section, char* out,
                                        uint32_t capacity) = 0;
  virtual bool write_profile_section(const char* file, const char* section, const char* lines) = 0;
  // MoveFileEx's delayed delete, Windows NT only; true when scheduled.
  virtual bool delete_at_boot(const char* path) = 0;

 protected:
  ~restart_os() = default;
};

restart_os& system_restart_os();

// True when the deletion is scheduled.
bool delete_at_restart(restart_os& os, const char* path);

// An install put the files of made and its agent folder in place again:
// their deletions at the next start, left by a removal, are taken back, in
// one reading and writing. Other programs' deletions and renames stay as
// they are.
void keep_at_restart(restart_os& os, registry_store& registry, const removal_record& made);

// Whether two paths name the same file, by their long or their short names
// (Windows 95 starts a program from an 8.3 path).
bool same_file(restart_os& os, const char* a, const char* b);
