// OrvSetup's entry: one modal dialog, then exit code 0 whatever happened.
#include <windows.h>

#include "setup/setup_program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  show_install_dialog(instance);
  return 0;
}
