// The start-up of the console programs that ship and link no C runtime: it
// runs the constructors of static objects, cuts the command line into
// arguments as the C runtime would and hands them to console_main, then
// ends the process with its result.
#include <windows.h>

#include "common/command_line.h"

extern "C" void (*__CTOR_LIST__[])();

int console_main(int argc, char** argv);

namespace {

// A command line holds at most 32767 characters.
char argument_text[32768];
char* arguments[256];

}  // namespace

extern "C" void mainCRTStartup() {
  for (void (**construct)() = __CTOR_LIST__ + 1; *construct; ++construct) (*construct)();
  int count = split_command_line(GetCommandLineA(), argument_text, sizeof argument_text, arguments,
                                 sizeof arguments / sizeof arguments[0]);
  ExitProcess(UINT(console_main(count, arguments)));
}
