// The start-up of the programs that ship, which link no C runtime: Windows
// enters here with nothing prepared. It runs the constructors of static
// objects (the linker gathers them between a -1 and a 0), hands WinMain what
// a C runtime would, and ends the process with WinMain's result.
#include <windows.h>

extern "C" void (*__CTOR_LIST__[])();

namespace {

// The command line after the program's name and the blanks behind it.
char* arguments_of(char* line) {
  bool quoted = false;
  while (*line && (quoted || (*line != ' ' && *line != '\t'))) {
    if (*line == '"') quoted = !quoted;
    ++line;
  }
  while (*line == ' ' || *line == '\t') ++line;
  return line;
}

}  // namespace

extern "C" void WinMainCRTStartup() {
  for (void (**construct)() = __CTOR_LIST__ + 1; *construct; ++construct) (*construct)();
  STARTUPINFOA startup;
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
  int code = WinMain(GetModuleHandleA(nullptr), nullptr, arguments_of(GetCommandLineA()), show);
  ExitProcess(UINT(code));
}
