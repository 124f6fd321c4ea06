#include "help_launcher.h"

#include <cstring>

#include "agent/channel/channel.h"
#include "desktop_os.h"

static char help_path[help_path_size];
static const char help_file_name[] = "quorvane.hlp";

bool build_help_path(const char* program_path) {
  size_t keep = 0;  // up to and including the last colon or backslash
  size_t length = strlen(program_path);
  for (size_t at = length; at > 0; at--) {
    if (program_path[at - 1] == ':' || program_path[at - 1] == '\\') {
      keep = at;
      break;
    }
  }
  help_path[0] = 0;
  if (keep + sizeof help_file_name > sizeof help_path) return false;
  memcpy(help_path, program_path, keep);
  memcpy(help_path + keep, help_file_name, sizeof help_file_name);
  return true;
}

const char* current_help_path() { return help_path; }

void handle_help_request(uint8_t*, uint32_t) {
  reply_begin(0, reply_help);
  reply_publish();
  // The program path comes from the module, not from argv[0]: a command line
  // without quotes cuts argv[0] at the first blank of "C:\Program Files\...".
  // Longer than MAX_PATH would not fit the help path in any case.
  char program_path[2 * help_path_size];
  uint32_t length = desktop_program_path(program_path, sizeof program_path);
  if (length == 0 || length >= sizeof program_path) return;
  program_path[length] = 0;
  if (build_help_path(program_path)) desktop_show_help(help_path);
}
