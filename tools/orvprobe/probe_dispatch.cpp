#include "tools/orvprobe/probe_dispatch.h"

#include "tools/orvprobe/probe_output.h"

namespace {

probe_args args;  // pointers into argv, for as long as the program runs

}  // namespace

int dispatch_command(int argc, char** argv, const char* const* flags,
                     const probe_command* commands, size_t count, const char* help_text) {
  parse_probe_args(argc, argv, flags, args);
  if (!args.command || same_text(args.command, "help") || args.has("help")) {
    out_text(help_text);
    out_line_end();
    return !args.command && !args.has("help") ? exit_usage : exit_ok;
  }
  if (args.error) return usage_error(args.error_word, args.error);
  for (size_t i = 0; i < count; ++i)
    if (same_text(args.command, commands[i].name)) return commands[i].run(args);
  return usage_error(args.command, "unknown command; see --help");
}
