// orvprobe: plays the console editor's side of the clipboard protocol, so
// that a running agent can be checked by hand.
#include "tools/orvprobe/probe_commands.h"
#include "tools/orvprobe/probe_dispatch.h"
#include "tools/orvprobe/probe_output.h"

extern const char program_name[] = "orvprobe";

namespace {

const char help_text[] =
    "orvprobe - talks to the Orvik Windows agent through the clipboard, as the\n"
    "console editor does, and prints what comes back.\n"
    "\n"
    "  orvprobe presence [--timeout MS]\n"
    "      Says in one line whether an agent answers a presence check.\n"
    "  orvprobe clear\n"
    "      Empties the clipboard: an agent started next finds no old request.\n"
    "\n"
    "The editor's services (the exchange as a JSON line, then a readable line):\n"
    "  orvprobe printers            the printers, the default one marked\n"
    "  orvprobe spool-name          a fresh spool file name\n"
    "  orvprobe print FILE --printer NAME [--title TITLE] [--direct]\n"
    "      Like the editor: asks for a spool name, copies FILE there and asks\n"
    "      for it to be printed (the agent deletes the spool file afterwards).\n"
    "      --direct names FILE itself in the print request instead.\n"
    "  orvprobe open-dialog [--text TEXT] [--path PATH] [--insert]\n"
    "      Asks for the file-open dialog over the console window whose title\n"
    "      contains TEXT, starting at PATH; --insert titles it \"Insert File:\".\n"
    "  orvprobe dialog-result       how the dialog ended, and the chosen file\n"
    "  orvprobe open-help           asks the agent to open its help file\n"
    "\n"
    "Any request (for the editor's developers):\n"
    "  orvprobe send [--code N] [--sequence N] [--block-size N] [--size N]\n"
    "                [--magic N] [--hex OFF:HEX]... [--str OFF:TEXT]... [--timeout MS]\n"
    "                [--no-forward]\n"
    "      Writes one request block under clipboard format 10 and prints one\n"
    "      JSON line: the reply's header fields, size and payload, decoded where\n"
    "      the code is known; or \"reply\": null and what the clipboard holds.\n"
    "      --size sets the clipboard object's size (it may cut the header);\n"
    "      OFF counts from the payload (block offset 26); --str adds a NUL.\n"
    "      Numbers may be decimal or 0x-hex. Defaults: code 7, sequence 1,\n"
    "      block_size 0, object size max(64, what the payload needs). sent_at\n"
    "      is the wall clock (seconds since 1970) of the write. --no-forward\n"
    "      keeps the notification from the viewers after orvprobe: an agent\n"
    "      already running finds the request only by its own check of the\n"
    "      chain, within about two seconds; one that joins later, at once.\n"
    "\n"
    "Exit codes: 0 answered/done, 1 no reply, 2 usage, 3 the clipboard could\n"
    "not be used or the agent refused.";

const probe_command commands[] = {
    {"send", cmd_send},
    {"presence", cmd_presence},
    {"clear", cmd_clear},
    {"printers", cmd_printers},
    {"spool-name", cmd_spool_name},
    {"print", cmd_print},
    {"open-dialog", cmd_open_dialog},
    {"dialog-result", cmd_dialog_result},
    {"open-help", cmd_open_help},
};

const char* const flags[] = {"help", "no-forward", "insert", "direct", nullptr};

}  // namespace

int console_main(int argc, char** argv) {
  return dispatch_command(argc, argv, flags, commands, sizeof commands / sizeof commands[0],
                          help_text);
}
