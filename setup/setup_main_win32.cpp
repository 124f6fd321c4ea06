// OrvSetup's entry: "/uninstall" removes Orvik, any other command line
// shows the install dialog; exit code 0 whatever happened.
#include <windows.h>

#include "setup/remove/run_removal.h"
#include "setup/install/setup_program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  if (is_remove_command(command_line))
    run_removal(system_remove_actions(), system_registry(), system_restart_os());
  else
    show_install_dialog(instance);
  return 0;
}
