// Deleting at restart on a real system.
#include <windows.h>

#include "setup/remove/restart_delete.h"

namespace {

class system_restart final : public restart_os {
 public:
  bool short_path(const char* path, char* out, uint32_t capacity) override {
    DWORD length = GetShortPathNameA(path, out, capacity);
    return length > 0 && length < capacity;
  }

  uint32_t read_profile_section(const char* file, const char* section, char* out,
                                uint32_t capacity) override {
    return GetPrivateProfileSectionA(section, out, capacity, file);
  }

  bool write_profile_section(const char* file, const char* section, const char* lines) override {
    return WritePrivateProfileSectionA(section, lines, file) != FALSE;
  }

  bool delete_at_boot(const char* path) override {
    return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
  }
};

system_restart restart;

}  // namespace

restart_os& system_restart_os() { return restart; }
