// The commands of orvprobe; each returns the process exit code.
#pragma once
#include "tools/orvprobe/probe_args.h"

int cmd_send(const probe_args& args);
int cmd_presence(const probe_args& args);
int cmd_clear(const probe_args& args);
int cmd_batch(const probe_args& args);
int cmd_replay(const probe_args& args);
int cmd_watch(const probe_args& args);
int cmd_window(const probe_args& args);
int cmd_message(const probe_args& args);
int cmd_window_info(const probe_args& args);
int cmd_wait_window(const probe_args& args);
int cmd_printers(const probe_args& args);
int cmd_spool_name(const probe_args& args);
int cmd_print(const probe_args& args);
int cmd_printer_metrics(const probe_args& args);
int cmd_open_dialog(const probe_args& args);
int cmd_dialog_result(const probe_args& args);
int cmd_open_help(const probe_args& args);
int cmd_run(const probe_args& args);
int cmd_command_line(const probe_args& args);
int cmd_hold(const probe_args& args);

// Exit codes shared by the commands.
constexpr int exit_ok = 0;
constexpr int exit_no_reply = 1;
constexpr int exit_usage = 2;
constexpr int exit_failed = 3;
