// Commands about process start-up: a command line handed to CreateProcessA
// exactly as written (no quotes added), and what a program so started sees.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/orvprobe/probe_commands.h"
#include "tools/orvprobe/probe_exchange_win32.h"
#include "tools/orvprobe/probe_json.h"

// The whole command line is the one positional argument. Without --program,
// Windows looks for the program the way it does for any unquoted line,
// trying "C:\Program" before "C:\Program Files\..." (and Wine then puts
// quotes around the name it found). With --program naming the file, the
// command line reaches the program exactly as written.
int cmd_run(const probe_args& args) {
  if (args.positional.size() != 1) {
    fprintf(stderr, "orvprobe run: give the command line as one argument\n");
    return exit_usage;
  }
  std::string line = args.positional[0];
  std::string directory = args.get("cwd"), program = args.get("program");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // Inherited handles give a started orvprobe this one's output file.
  if (!CreateProcessA(program.empty() ? nullptr : program.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &process)) {
    printf("%s\n", json_object().field("command_line", line).null("pid").text().c_str());
    return exit_failed;
  }
  fflush(stdout);
  int64_t wait_ms = 0;
  if (args.number("wait", wait_ms)) WaitForSingleObject(process.hProcess, DWORD(wait_ms));
  printf("%s\n", json_object().field("command_line", line).field("pid", int64_t(process.dwProcessId)).text().c_str());
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return exit_ok;
}

int cmd_command_line(const probe_args&) {
  char module[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, sizeof module);
  printf("%s\n", json_object()
                     .field("command_line", GetCommandLineA())
                     .field("argv0", __argc > 0 ? __argv[0] : "")
                     .field("module", module)
                     .text()
                     .c_str());
  return exit_ok;
}
