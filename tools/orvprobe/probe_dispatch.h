// The command line of orvprobe and orvdesk: the help text, a usage error, or
// the command named first, with its options.
#pragma once
#include <cstddef>

#include "tools/orvprobe/probe_args.h"

struct probe_command {
  const char* name;
  int (*run)(const probe_args&);
};

// flags: the options that take no value, ending with a null. Returns the
// exit code.
int dispatch_command(int argc, char** argv, const char* const* flags,
                     const probe_command* commands, size_t count, const char* help_text);
