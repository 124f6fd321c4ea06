// orvprobe: plays the console editor's side of the clipboard protocol, so
// that a running agent can be checked by hand and driven by the tests.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "tools/orvprobe/probe_commands.h"

static const char help_text[] =
    "orvprobe - talks to the Orvik Windows agent through the clipboard, as the\n"
    "console editor does, and prints what comes back.\n"
    "\n"
    "For users:\n"
    "  orvprobe presence [--timeout MS]\n"
    "      Says in one line whether an agent answers a presence check.\n"
    "  orvprobe clear\n"
    "      Empties the clipboard: an agent started next finds no old request.\n"
    "\n"
    "Requests (each prints one JSON line: the reply's header fields, size and\n"
    "payload, decoded where the code is known; or \"reply\": null and what the\n"
    "clipboard holds when no reply came):\n"
    "  orvprobe send [--code N] [--sequence N] [--block-size N] [--size N]\n"
    "                [--magic N] [--hex OFF:HEX]... [--str OFF:TEXT]... [--timeout MS]\n"
    "                [--no-forward]\n"
    "      Writes one request block under clipboard format 10. --size sets the\n"
    "      clipboard object's size (it may cut the header: 32 bytes and less are\n"
    "      allowed); OFF counts from the payload (block offset 26); --str adds a\n"
    "      NUL. Numbers may be decimal or 0x-hex. Defaults: code 7, sequence 1,\n"
    "      block_size 0, object size max(64, what the payload needs).\n"
    "      The JSON line's sent_at is the wall clock (seconds since 1970) of the\n"
    "      write. --no-forward keeps clipboard notifications from the viewers\n"
    "      after orvprobe: an agent already running does not see the request,\n"
    "      one that joins the chain later does.\n"
    "\n"
    "The editor's services (a readable line, and the reply as a JSON line):\n"
    "  orvprobe printers            the printers, the default one marked\n"
    "  orvprobe spool-name          a fresh spool file name\n"
    "  orvprobe print FILE --printer NAME [--title TITLE] [--direct]\n"
    "      Like the editor: asks for a spool name, copies FILE there and asks\n"
    "      for it to be printed (the agent deletes the spool file afterwards).\n"
    "      --direct names FILE itself in the print request instead.\n"
    "  orvprobe printer-metrics NAME\n"
    "      HORZRES, VERTRES and the font height (tmHeight) of the printer's\n"
    "      device context: what the agent's page layout works with.\n"
    "  orvprobe open-dialog [--text TEXT] [--path PATH] [--insert]\n"
    "      Asks for the file-open dialog over the console window whose title\n"
    "      contains TEXT, starting at PATH; --insert titles it \"Insert File:\".\n"
    "  orvprobe dialog-result       how the dialog ended, and the chosen file\n"
    "  orvprobe open-help           asks the agent to open its help file\n"
    "\n"
    "Load and timing:\n"
    "  orvprobe batch [--count N] [--code C] [--first-sequence N] [--mark K]\n"
    "                 [--resume-file PATH] [--timeout MS]\n"
    "      N requests of code C (default 7, presence) in a row with rising\n"
    "      sequence, each timed from the write to the reply; a reply whose code\n"
    "      is not C + 1 counts as wrong. Prints {\"event\":\"mark\"} after K requests and the\n"
    "      p50, p99 and lost count at the end. With --resume-file it waits at the\n"
    "      mark until PATH.mark exists and at the end until PATH.end exists, so\n"
    "      that the caller can read the agent's memory at those points.\n"
    "  orvprobe replay FILE [--timeout MS]\n"
    "      Writes each line of FILE (a clipboard object in hex) under format 10,\n"
    "      waits for a reply with the object's sequence, answers the Help\n"
    "      viewer's \"ERROR\" box after a reply 14, then sends a presence check;\n"
    "      prints one JSON line per object: its reply (or null) and presence.\n"
    "\n"
    "For the tests:\n"
    "  orvprobe watch [--seconds N] [--stop-file PATH] [--no-forward]\n"
    "      Joins the clipboard viewer chain and prints each notification that\n"
    "      reaches it (draw_clipboard with the format-10 block, change_cb_chain).\n"
    "      Its events and those of `window` carry t_ms, the performance counter\n"
    "      in milliseconds: one clock for all programs of the Wine prefix.\n"
    "  orvprobe window [--class C] [--title T] [--show visible|hidden|minimized]\n"
    "                  [--seconds N] [--stop-file PATH]\n"
    "      Owns a top-level window (default class \"tty\", title \"MS-DOS Prompt -\n"
    "      ORVIK\": the console editor's window) and prints the messages it gets.\n"
    "      A posted WM_DESTROY is reported and otherwise ignored. Both end after\n"
    "      N seconds (default 30 and 60) or as soon as PATH exists.\n"
    "  orvprobe window-info (--hwnd H | [--class C] [--title T] | --class C --all)\n"
    "  orvprobe wait-window (--hwnd H | [--class C] [--title T]) [--timeout MS]\n"
    "      Prints a window with its owner, style and child controls (text, id,\n"
    "      check state, combo box selection); wait-window waits until it is shown.\n"
    "      With --all, every top-level window of the class, without controls.\n"
    "  orvprobe hold [--ms N | --once-ms N] [--seconds N] [--stop-file PATH]\n"
    "      Joins the clipboard viewer chain and, on every change (with --once-ms,\n"
    "      on the first one only), opens the clipboard and keeps it open N ms\n"
    "      (default 20), passing the notification on once it has it: a stand-in\n"
    "      for clipboard managers. Prints {\"event\":\"held\"} after each hold.\n"
    "    orvprobe message (--hwnd H | [--class C] [--title T]) [--child-id ID]\n"
    "                   --msg M [--wparam W] [--lparam L | --text TEXT] [--post]\n"
    "      Sends (or posts) a message to a window or one of its controls; its\n"
    "      JSON line's \"at\" is the wall clock just before.\n"
    "  orvprobe run \"COMMAND LINE\" [--program FILE] [--cwd DIR] [--wait MS]\n"
    "      Starts a program with CreateProcessA and this command line as it\n"
    "      stands, unquoted names included (--program names the file, so that\n"
    "      the line reaches it unchanged); prints its process id.\n"
    "  orvprobe command-line        prints its own command line, argv[0] and\n"
    "      module path, to show what a program started so sees.\n"
    "\n"
    "Exit codes: 0 answered/done, 1 no reply or window not found, 2 usage,\n"
    "3 the clipboard or a window could not be used.\n";

struct command {
  const char* name;
  int (*run)(const probe_args&);
};

static const command commands[] = {
    {"send", cmd_send},           {"presence", cmd_presence},
    {"clear", cmd_clear},
    {"batch", cmd_batch},         {"replay", cmd_replay},       {"watch", cmd_watch},
    {"window", cmd_window},       {"window-info", cmd_window_info},
    {"wait-window", cmd_wait_window}, {"message", cmd_message},
    {"printers", cmd_printers},   {"spool-name", cmd_spool_name},
    {"print", cmd_print},         {"printer-metrics", cmd_printer_metrics},
    {"open-dialog", cmd_open_dialog}, {"dialog-result", cmd_dialog_result},
    {"open-help", cmd_open_help}, {"run", cmd_run},
    {"command-line", cmd_command_line}, {"hold", cmd_hold},
};

int main(int argc, char** argv) {
  // A program path with blanks and no quotes arrives cut into several
  // arguments; command-line is found wherever the cut leaves it.
  for (int i = 1; i < argc; i++)
    if (strcmp(argv[i], "command-line") == 0) return cmd_command_line(probe_args{});
  probe_args args = parse_probe_args(argc, argv, {"help", "post", "no-forward", "insert", "direct", "all"});
  if (args.command.empty() || args.command == "help" || args.has("help")) {
    fputs(help_text, stdout);
    return args.command.empty() && !args.has("help") ? exit_usage : exit_ok;
  }
  if (!args.error.empty()) {
    fprintf(stderr, "orvprobe: %s\n", args.error.c_str());
    return exit_usage;
  }
  for (const command& c : commands)
    if (args.command == c.name) return c.run(args);
  fprintf(stderr, "orvprobe: unknown command \"%s\"; see orvprobe --help\n", args.command.c_str());
  return exit_usage;
}
