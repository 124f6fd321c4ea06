// Commands about process start-up: a command line handed to CreateProcessA
// exactly as written (no quotes added), and what a program so started sees.
#include <windows.h>

#include <cstdlib>

#include "tools/orvdesk/desk_commands.h"
#include "tools/orvprobe/probe_output.h"

namespace {

void report_process(const char* command_line, const DWORD* pid) {
  json_out out = out_json();
  json_open(out);
  json_text(out, "command_line", command_line);
  if (pid) json_uint(out, "pid", *pid);
  else json_null(out, "pid");
  json_close(out);
  out_line_end();
}

char command_line[32768];

}  // namespace

// The whole command line is the one positional argument. Without --program,
// Windows looks for the program the way it does for any unquoted line,
// trying "C:\Program" before "C:\Program Files\..." (and Wine then puts
// quotes around the name it found). With --program naming the file, the
// command line reaches the program exactly as written.
int cmd_run(const probe_args& args) {
  if (args.positional_count != 1) return usage_error("run", "give the command line as one argument");
  lstrcpynA(command_line, args.positional[0], sizeof command_line);
  const char* directory = args.get("cwd");
  const char* program = args.get("program");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // Inherited handles give a started program this one's output file.
  if (!CreateProcessA(*program ? program : nullptr, command_line, nullptr, nullptr, TRUE, 0, nullptr,
                      *directory ? directory : nullptr, &startup, &process)) {
    report_process(args.positional[0], nullptr);
    return exit_failed;
  }
  int64_t wait_ms = 0;
  if (args.number("wait", wait_ms)) WaitForSingleObject(process.hProcess, DWORD(wait_ms));
  report_process(args.positional[0], &process.dwProcessId);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return exit_ok;
}

int cmd_command_line(const probe_args&) {
  char module[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, sizeof module);
  json_out out = out_json();
  json_open(out);
  json_text(out, "command_line", GetCommandLineA());
  json_text(out, "argv0", __argc > 0 ? __argv[0] : "");
  json_text(out, "module", module);
  json_close(out);
  out_line_end();
  return exit_ok;
}
