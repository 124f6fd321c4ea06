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

  bool is_read_only(const char* path) override {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
  }
};

system_actions actions;

}  // namespace

remove_actions& system_remove_actions() { return actions; }
