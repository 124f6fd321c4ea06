// The commands of orvprobe; each returns the process exit code.
#pragma once
#include <windows.h>

#include "tools/orvprobe/probe_args.h"
#include "tools/orvprobe/probe_output.h"

struct request_spec;

int cmd_send(const probe_args& args);
int cmd_presence(const probe_args& args);
int cmd_clear(const probe_args& args);
int cmd_printers(const probe_args& args);
int cmd_spool_name(const probe_args& args);
int cmd_print(const probe_args& args);
int cmd_open_dialog(const probe_args& args);
int cmd_dialog_result(const probe_args& args);
int cmd_open_help(const probe_args& args);

// Sends one request on the open channel and prints the outcome as one JSON
// line: the request, and its reply or what the clipboard holds instead.
// Returns exit_ok, exit_no_reply or exit_failed.
int exchange_and_report(const request_spec& spec, DWORD timeout);

