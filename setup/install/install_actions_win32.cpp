// The install steps' actions on a real system.
#include <windows.h>

#include "common/stop_running_agent.h"
#include "setup/install/copy_file.h"
#include "setup/install/setup_program.h"

namespace {

class system_actions final : public install_actions {
 public:
  void create_directory(const char* path) override { CreateDirectoryA(path, nullptr); }

  bool copy_file(const char* source, const char* destination) override {
    return ::copy_file(source, destination) != 0;
  }

  // Waits until the agent has ended, so that its program file is free
  // to be replaced.
  void stop_agent(const char* class_name) override {
    stop_running_agent(system_agent_stop(), class_name);
  }

  void start_agent(const char* command_line) override { WinExec(command_line, SW_SHOW); }

  bool create_shortcut(const char* target, const char* link, const char* description,
                       const char* icon) override {
    return SUCCEEDED(::create_shortcut(target, link, description, icon));
  }

  void show_install_error(const char* text) override {
    MessageBoxA(nullptr, text, "Install", MB_ICONERROR | MB_OK);
  }
};

system_actions actions;

}  // namespace

install_actions& system_install_actions() { return actions; }
