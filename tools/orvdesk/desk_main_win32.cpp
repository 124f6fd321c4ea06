// orvdesk: the test desktop's helper. It plays the programs around the agent
// that the tests, the demo and the benchmarks need (a console window, a
// clipboard viewer, a program holding the clipboard, a restarting shell),
// drives and inspects windows, and loads the agent with requests. It does
// not ship; orvprobe is the users' tool.
#include <windows.h>

#include "tools/orvdesk/desk_commands.h"
#include "tools/orvprobe/probe_channel_win32.h"
#include "tools/orvprobe/probe_dispatch.h"
#include "tools/orvprobe/probe_output.h"

extern const char program_name[] = "orvdesk";

namespace {

const char help_text[] =
    "orvdesk - the helper of the Orvik test desktop (Wine, Xvfb): plays the\n"
    "programs around the agent and drives windows. Each command prints JSON\n"
    "lines; events of watch, window and hold carry t_ms, the performance\n"
    "counter in milliseconds: one clock for all programs of the Wine prefix.\n"
    "\n"
    "Load and clipboard:\n"
    "  orvdesk batch [--count N] [--code C] [--first-sequence N] [--mark K]\n"
    "                [--resume-file PATH] [--timeout MS] [--after-window-gone H]\n"
    "      N requests of code C (default 7) in a row with rising sequence, each\n"
    "      timed from the write to the reply; a reply whose code is not C + 1\n"
    "      counts as wrong. {\"event\":\"mark\"} after K requests, then the p50, p99\n"
    "      and lost count (for code 3 also the number each spool name ends in),\n"
    "      the first request's wall-clock write time and round trip, and the\n"
    "      window that published its reply. With --resume-file it waits at the\n"
    "      mark until PATH.mark exists and at the end until PATH.end exists.\n"
    "      With --after-window-gone it joins the chain, prints\n"
    "      {\"event\":\"waiting\"} and writes the first request once the window H\n"
    "      no longer exists.\n"
    "  orvdesk replay FILE [--timeout MS]\n"
    "      Writes each line of FILE (a clipboard object in hex) under format 10,\n"
    "      waits for a reply with the object's sequence, answers the Help\n"
    "      viewer's \"ERROR\" box after a reply 14, then sends a presence check;\n"
    "      one JSON line per object: its reply (or null) and presence.\n"
    "  orvdesk watch [--seconds N] [--stop-file PATH] [--no-forward]\n"
    "      Joins the clipboard viewer chain and prints each notification\n"
    "      (draw_clipboard with the format-10 block, change_cb_chain).\n"
    "  orvdesk clipboard-viewer\n"
    "      The head of the clipboard viewer chain, as the system knows it.\n"
    "  orvdesk hold [--ms N | --once-ms N] [--seconds N] [--stop-file PATH]\n"
    "      Joins the chain and, on every change (with --once-ms, the first\n"
    "      only), keeps the clipboard open N ms (default 20) before passing the\n"
    "      notification on: a stand-in for clipboard managers.\n"
    "\n"
    "Windows:\n"
    "  orvdesk window [--class C] [--title T] [--show visible|hidden|minimized]\n"
    "                 [--seconds N] [--stop-file PATH]\n"
    "      Owns a top-level window (default class \"tty\", title \"MS-DOS Prompt -\n"
    "      ORVIK\": the console editor's window) and prints the messages it gets;\n"
    "      a posted WM_DESTROY is reported and otherwise ignored.\n"
    "  orvdesk window-info (--hwnd H | [--class C] [--title T] | --class C --all)\n"
    "  orvdesk wait-window (--hwnd H | [--class C] [--title T]) [--timeout MS]\n"
    "      A window with its owner, style and child controls; wait-window waits\n"
    "      until it is shown. With --all, every top-level window of the class.\n"
    "  orvdesk message (--hwnd H | [--class C] [--title T]) [--child-id ID]\n"
    "                  --msg M [--wparam W] [--lparam L | --text TEXT] [--post]\n"
    "      Sends (or posts) a message; \"at\" is the wall clock just before.\n"
    "  orvdesk message (--hwnd H | [--class C] [--title T]) --list FILE\n"
    "      Posts one message for each line of FILE: \"MSG WPARAM LPARAM\".\n"
    "  orvdesk tray delete|modify (--hwnd H | --class C) [--id N]\n"
    "      Takes the window's tray icon N (default 1) out of the tray, as a\n"
    "      restarting shell loses it, or modifies it with nothing changed,\n"
    "      which succeeds only for an icon the tray holds.\n"
    "  orvdesk taskbar-created\n"
    "      Broadcasts \"TaskbarCreated\", as a shell does once it has started.\n"
    "  orvdesk gdi-objects (--pid N | --hwnd H | --class C [--title T])\n"
    "      The GDI objects the process (or the window's) holds, in all and by\n"
    "      kind, stock objects among them, read from its GDI handle table.\n"
    "  orvdesk gdi-objects --brushes N\n"
    "      orvdesk's own count, with N more brushes and with them deleted: the\n"
    "      count follows what a process makes and deletes.\n"
    "\n"
    "Programs and printers:\n"
    "  orvdesk run \"COMMAND LINE\" [--program FILE] [--cwd DIR] [--wait MS]\n"
    "      CreateProcessA with the command line as it stands (--program names\n"
    "      the file, so that the line reaches it unchanged); prints its pid.\n"
    "  orvdesk command-line        its own command line, argv[0] and module path\n"
    "  orvdesk printer-metrics NAME\n"
    "      HORZRES, VERTRES and the font height (tmHeight) of the printer's\n"
    "      device context: what the agent's page layout works with.\n"
    "\n"
    "Exit codes: 0 done, 1 no reply or no window, 2 usage, 3 failed.";

const probe_command commands[] = {
    {"batch", cmd_batch},         {"replay", cmd_replay},
    {"watch", cmd_watch},         {"hold", cmd_hold},
    {"clipboard-viewer", cmd_clipboard_viewer},
    {"window", cmd_window},       {"window-info", cmd_window_info},
    {"wait-window", cmd_wait_window}, {"message", cmd_message},
    {"tray", cmd_tray},           {"taskbar-created", cmd_taskbar_created},
    {"gdi-objects", cmd_gdi_objects},
    {"run", cmd_run},             {"command-line", cmd_command_line},
    {"printer-metrics", cmd_printer_metrics},
};

const char* const flags[] = {"help", "post", "no-forward", "all", nullptr};

}  // namespace

void run_until_stopped(const probe_args& args, int64_t default_seconds, bool (*done)()) {
  int64_t seconds = default_seconds;
  args.number("seconds", seconds);
  const char* stop = args.get("stop-file");
  DWORD end = GetTickCount() + DWORD(seconds * 1000);
  while (int32_t(end - GetTickCount()) > 0 && !(done && done())) {
    channel_pump(50);
    if (*stop && GetFileAttributesA(stop) != INVALID_FILE_ATTRIBUTES) break;
  }
}

int main(int argc, char** argv) {
  // A program path with blanks and no quotes arrives cut into several
  // arguments; command-line is found wherever the cut leaves it.
  for (int i = 1; i < argc; i++)
    if (same_text(argv[i], "command-line")) return cmd_command_line(probe_args{});
  return dispatch_command(argc, argv, flags, commands, sizeof commands / sizeof commands[0],
                          help_text);
}
