// The commands of orvdesk, the test desktop's helper; each returns the
// process exit code (those of orvprobe: 0 done, 1 no reply or no window,
// 2 usage, 3 failed).
#pragma once
#include "tools/orvprobe/probe_commands.h"

int cmd_batch(const probe_args& args);
int cmd_watch(const probe_args& args);
int cmd_clipboard_viewer(const probe_args& args);
int cmd_replay(const probe_args& args);
int cmd_hold(const probe_args& args);
int cmd_window(const probe_args& args);
int cmd_window_info(const probe_args& args);
int cmd_wait_window(const probe_args& args);
int cmd_message(const probe_args& args);
int cmd_run(const probe_args& args);
int cmd_command_line(const probe_args& args);
int cmd_printer_metrics(const probe_args& args);
int cmd_tray(const probe_args& args);
int cmd_taskbar_created(const probe_args& args);
int cmd_gdi_objects(const probe_args& args);

// Handles messages until the deadline passes or the stop file (--stop-file)
// exists; done() may end it sooner.
void run_until_stopped(const probe_args& args, int64_t default_seconds, bool (*done)() = nullptr);

// The window named by --hwnd, else FindWindowA(--class, --title), either of
// which may be left out.
HWND target_window(const probe_args& args);
