// The removal's actions on a real system.
#include <windows.h>

#include "common/stop_running_agent.h"
#include "setup/remove/remove_actions.h"

namespace {

constexpr char caption[] = "Remove Orvik";

uint32_t done_or_error(BOOL done) { return done ? 0 : GetLastError(); }

class system_actions final : public remove_actions {
 public:
  bool confirm(const char* question) override {
    return MessageBoxA(nullptr, question, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
  }

  void show_result(const char* text, bool warning) override {
    MessageBoxA(nullptr, text, caption, MB_OK | (warning ? MB_ICONWARNING : MB_ICONINFORMATION));
  }

  void stop_agent(const char* class_name) override {
    stop_running_agent(system_agent_stop(), class_name);
  }

  uint32_t delete_file(const char* path) override { return done_or_error(DeleteFileA(path)); }

  uint32_t remove_directory(const char* path) override {
    return done_or_error(RemoveDirectoryA(path));
  }

  bool delete_at_boot(const char* path) override {
    return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
  }

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
};

system_actions actions;

}  // namespace

remove_actions& system_remove_actions() { return actions; }
