// Commands that ask the agent for its services as the console editor does:
// printers, spool names, printing, the file-open dialog and the help file.
// Each prints the exchange as one JSON line, then a readable line.
#include <cstring>

#include "agent/channel/exchange_block.h"
#include "agent/print/print_request_format.h"
#include "agent/services/dialog_format.h"
#include "tools/orvprobe/probe_block.h"
#include "tools/orvprobe/probe_channel_win32.h"
#include "tools/orvprobe/probe_commands.h"
#include "tools/orvprobe/probe_output.h"

namespace {

// The channel of one command: open for as long as the command runs.
struct session {
  bool open = channel_open(true);
  ~session() { channel_close(); }
};

const uint8_t* payload() { return channel_reply() + header_size; }
uint32_t payload_size() { return channel_reply_size() - header_size; }

// One request of the code, with the payload. A reply is caught only with its
// whole header; the decoders read its payload within its size.
int ask(int16_t code, const uint8_t* bytes, uint32_t size, DWORD timeout) {
  request_spec spec;
  spec.code = code;
  spec.sequence = GetTickCount() ^ (uint32_t(code) << 24);
  if (size) spec.pieces[spec.piece_count++] = {0, bytes, size};
  return exchange_and_report(spec, timeout);
}

// One request; false (after saying so) when nothing came back.
bool ask_or_say(const session& s, int16_t code, const uint8_t* bytes, uint32_t size,
                const probe_args& args, int& exit_code) {
  exit_code = exit_failed;
  if (!s.open) return false;
  exit_code = ask(code, bytes, size, args.timeout(5000));
  if (exit_code == exit_ok) return true;
  out_text("No reply: is the agent running?");
  out_line_end();
  return false;
}

// The name of a fresh spool file, into name (MAX_PATH bytes).
bool spool_name(DWORD timeout, char* name) {
  if (ask(code_spool_name, nullptr, 0, timeout) != exit_ok || channel_reply_code() != reply_spool_name)
    return false;
  uint32_t length = 0;
  while (length < payload_size() && length < MAX_PATH - 1 && payload()[length]) ++length;
  memcpy(name, payload(), length);
  name[length] = '\0';
  return true;
}

}  // namespace

int cmd_printers(const probe_args& args) {
  session s;
  int failed;
  if (!ask_or_say(s, code_printer_list, nullptr, 0, args, failed)) return failed;
  static printer_list_reply list;
  if (channel_reply_code() != reply_printer_list || !printer_list_decode(payload(), payload_size(), list)) {
    out_text("The reply is not a printer list.");
    out_line_end();
    return exit_failed;
  }
  out_format("%u printer(s)%s", list.printer_count, list.printer_count ? ":" : ".");
  out_line_end();
  for (unsigned i = 0; i < list.printer_count && i < max_listed_printers; i++) {
    out_format("  %s%s", list.names[i], int(i) == list.default_printer ? "  (default)" : "");
    out_line_end();
  }
  return exit_ok;
}

int cmd_spool_name(const probe_args& args) {
  session s;
  char name[MAX_PATH];
  if (!s.open) return exit_failed;
  if (!spool_name(args.timeout(5000), name)) {
    out_text("No spool name came back.");
    out_line_end();
    return exit_no_reply;
  }
  out_format("Spool file name: %s", name);
  out_line_end();
  return exit_ok;
}

// Like the editor: a spool name, the text copied there, then request 5.
// With --direct the file itself is named in the request, not a copy.
int cmd_print(const probe_args& args) {
  if (args.positional_count < 1 || !args.has("printer"))
    return usage_error("print", "FILE and --printer NAME are required");
  const char* file = args.positional[0];
  const char* printer = args.get("printer");
  const char* title = args.get("title", file);
  DWORD timeout = args.timeout(5000);
  session s;
  if (!s.open) return exit_failed;
  char spool[MAX_PATH];
  const char* target = file;
  if (!args.has("direct")) {
    if (!spool_name(timeout, spool)) {
      out_text("No spool name came back.");
      out_line_end();
      return exit_no_reply;
    }
    if (!CopyFileA(file, spool, FALSE)) {
      out_format("Cannot copy %s to %s.", file, spool);
      out_line_end();
      return exit_failed;
    }
    target = spool;
  }
  static uint8_t request[1024];
  uint32_t size = print_request_encode(printer, target, title, request, sizeof request);
  if (!size) return usage_error("print", "names too long");
  if (ask(code_print, request, size, timeout) != exit_ok) {
    out_text("No reply to the print request.");
    out_line_end();
    return exit_no_reply;
  }
  if (channel_reply_code() == reply_print_accepted) {
    out_format("Accepted: %s goes to \"%s\" as \"%s\".", target, printer, title);
    out_line_end();
    return exit_ok;
  }
  out_format("Refused (reply %u).", channel_reply_code());
  out_line_end();
  return exit_failed;
}

int cmd_open_dialog(const probe_args& args) {
  uint8_t request[512];
  uint32_t size = encode_dialog_request(args.has("insert") ? 0 : 1, args.get("text"), args.get("path"),
                                        request, sizeof request);
  if (!size) return usage_error("open-dialog", "--text is at most 15 and --path at most 255 characters");
  session s;
  int failed;
  if (!ask_or_say(s, code_file_dialog, request, size, args, failed)) return failed;
  bool shown = channel_reply_code() == reply_dialog_shown;
  out_text(shown ? "The dialog is shown." : "Refused: no console window was found.");
  out_line_end();
  return shown ? exit_ok : exit_failed;
}

int cmd_dialog_result(const probe_args& args) {
  session s;
  int failed;
  if (!ask_or_say(s, code_dialog_result, nullptr, 0, args, failed)) return failed;
  static dialog_result result;
  if (!decode_dialog_result(payload(), payload_size(), result)) {
    out_text("The reply is not a dialog result.");
    out_line_end();
    return exit_failed;
  }
  if (result.state == DLG_PENDING) {
    out_text("The dialog is still open (state 1).");
  } else if (result.state == DLG_CHOSEN) {
    out_format("Chosen: %s", result.chosen_path);
  } else {
    out_format("No file was chosen (state %u).", result.state);
  }
  out_line_end();
  return exit_ok;
}

int cmd_open_help(const probe_args& args) {
  session s;
  int failed;
  if (!ask_or_say(s, code_help, nullptr, 0, args, failed)) return failed;
  out_text(channel_reply_code() == reply_help ? "The agent opens its help file." : "Unexpected reply.");
  out_line_end();
  return exit_ok;
}
