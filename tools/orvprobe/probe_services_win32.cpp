// Commands that ask the agent for its services as the console editor does:
// printers, spool names, printing, the file-open dialog and the help file.
// Each prints a readable line for people and one JSON line for the tests.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "agent/channel/exchange_block.h"
#include "agent/print/print_request_format.h"
#include "agent/services/dialog_format.h"
#include "tools/orvprobe/probe_block.h"
#include "tools/orvprobe/probe_commands.h"
#include "tools/orvprobe/probe_exchange_win32.h"
#include "tools/orvprobe/probe_json.h"

namespace {

// One request of the code with the payload; the reply stays in channel.reply.
int ask(probe_channel& channel, int16_t code, const std::vector<uint8_t>& payload, DWORD timeout) {
  request_spec spec;
  spec.code = code;
  spec.sequence = GetTickCount() ^ (uint32_t(code) << 24);
  if (!payload.empty()) spec.payload.push_back({0, payload});
  return exchange_and_report(channel, spec, timeout);
}

uint16_t reply_code_of(const probe_channel& channel) { return get_u16(&channel.reply[off_code]); }
const uint8_t* payload_of(const probe_channel& channel) { return &channel.reply[header_size]; }
uint32_t payload_size_of(const probe_channel& channel) { return uint32_t(channel.reply.size() - header_size); }

struct session {
  probe_channel channel;
  bool open = false;
  session() { open = probe_open(channel, true); }
  ~session() { probe_close(channel); }
};

bool spool_name(probe_channel& channel, DWORD timeout, std::string& name) {
  if (ask(channel, code_spool_name, {}, timeout) != exit_ok || reply_code_of(channel) != reply_spool_name)
    return false;
  name.clear();
  for (uint32_t i = 0; i < payload_size_of(channel) && payload_of(channel)[i]; i++)
    name += char(payload_of(channel)[i]);
  return true;
}

// One request in a new session; false (after saying so) when nothing came back.
bool ask_or_say(session& s, int16_t code, const std::vector<uint8_t>& payload, const probe_args& args,
                int& exit_code) {
  exit_code = exit_failed;
  if (!s.open) return false;
  exit_code = exit_no_reply;
  if (ask(s.channel, code, payload, timeout_of(args, 5000)) != exit_ok) {
    printf("No reply: is the agent running?\n");
    return false;
  }
  return true;
}

bool copy_whole_file(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

}  // namespace

int cmd_printers(const probe_args& args) {
  session s;
  int failed;
  if (!ask_or_say(s, code_printer_list, {}, args, failed)) return failed;
  printer_list_reply list;
  if (reply_code_of(s.channel) != reply_printer_list ||
      !printer_list_decode(payload_of(s.channel), payload_size_of(s.channel), list)) {
    printf("The reply is not a printer list.\n");
    return exit_failed;
  }
  printf("%u printer(s)%s\n", list.printer_count, list.printer_count ? ":" : ".");
  for (unsigned i = 0; i < list.printer_count && i < max_listed_printers; i++)
    printf("  %s%s\n", list.names[i], int(i) == list.default_printer ? "  (default)" : "");
  return exit_ok;
}

int cmd_spool_name(const probe_args& args) {
  session s;
  std::string name;
  if (!s.open) return exit_failed;
  if (!spool_name(s.channel, timeout_of(args, 5000), name)) {
    printf("No spool name came back.\n");
    return exit_no_reply;
  }
  printf("Spool file name: %s\n", name.c_str());
  return exit_ok;
}

// Like the editor: a spool name, the text copied there, then request 5.
// With --direct the file itself is named in the request, not a copy.
int cmd_print(const probe_args& args) {
  if (args.positional.empty() || !args.has("printer")) {
    fprintf(stderr, "orvprobe print: FILE and --printer NAME are required\n");
    return exit_usage;
  }
  std::string file = args.positional[0], printer = args.get("printer");
  std::string title = args.get("title", file);
  DWORD timeout = timeout_of(args, 5000);
  session s;
  if (!s.open) return exit_failed;
  std::string target = file;
  if (!args.has("direct")) {
    if (!spool_name(s.channel, timeout, target)) {
      printf("No spool name came back.\n");
      return exit_no_reply;
    }
    if (!copy_whole_file(file, target)) {
      printf("Cannot copy %s to %s.\n", file.c_str(), target.c_str());
      return exit_failed;
    }
  }
  uint8_t payload[1024];
  uint32_t size = print_request_encode(printer.c_str(), target.c_str(), title.c_str(), payload, sizeof payload);
  if (!size) {
    fprintf(stderr, "orvprobe print: names too long\n");
    return exit_usage;
  }
  if (ask(s.channel, code_print, std::vector<uint8_t>(payload, payload + size), timeout) != exit_ok) {
    printf("No reply to the print request.\n");
    return exit_no_reply;
  }
  uint16_t code = reply_code_of(s.channel);
  if (code == reply_print_accepted) {
    printf("Accepted: %s goes to \"%s\" as \"%s\".\n", target.c_str(), printer.c_str(), title.c_str());
    return exit_ok;
  }
  printf("Refused (reply %u).\n", code);
  return exit_failed;
}

int cmd_printer_metrics(const probe_args& args) {
  if (args.positional.empty()) {
    fprintf(stderr, "orvprobe printer-metrics: NAME is required\n");
    return exit_usage;
  }
  std::string name = args.positional[0];
  HDC dc = CreateDCA(nullptr, name.c_str(), nullptr, nullptr);
  if (!dc) {
    printf("%s\n", json_object().field("printer", name).null("metrics").text().c_str());
    printf("No device context for \"%s\".\n", name.c_str());
    return exit_failed;
  }
  SetMapMode(dc, MM_TEXT);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  int width = GetDeviceCaps(dc, HORZRES), height = GetDeviceCaps(dc, VERTRES);
  SIZE extent{};
  GetTextExtentPoint32A(dc, "M", 1, &extent);
  DeleteDC(dc);
  printf("%s\n", json_object()
                     .field("printer", name)
                     .field("horzres", int64_t(width))
                     .field("vertres", int64_t(height))
                     .field("tm_height", int64_t(metrics.tmHeight))
                     .field("m_width", int64_t(extent.cx))
                     .text()
                     .c_str());
  printf("\"%s\": %d x %d dots, line height %ld\n", name.c_str(), width, height, long(metrics.tmHeight));
  return exit_ok;
}

int cmd_open_dialog(const probe_args& args) {
  uint8_t payload[512];
  uint32_t size = encode_dialog_request(args.has("insert") ? 0 : 1, args.get("text").c_str(),
                                        args.get("path").c_str(), payload, sizeof payload);
  if (!size) {
    fprintf(stderr, "orvprobe open-dialog: --text is at most 15 and --path at most 255 characters\n");
    return exit_usage;
  }
  session s;
  int failed;
  if (!ask_or_say(s, code_file_dialog, std::vector<uint8_t>(payload, payload + size), args, failed))
    return failed;
  bool shown = reply_code_of(s.channel) == reply_dialog_shown;
  printf(shown ? "The dialog is shown.\n" : "Refused: no console window was found.\n");
  return shown ? exit_ok : exit_failed;
}

int cmd_dialog_result(const probe_args& args) {
  session s;
  int failed;
  if (!ask_or_say(s, code_dialog_result, {}, args, failed)) return failed;
  dialog_result result;
  if (!decode_dialog_result(payload_of(s.channel), payload_size_of(s.channel), result)) {
    printf("The reply is not a dialog result.\n");
    return exit_failed;
  }
  if (result.state == DLG_PENDING) printf("The dialog is still open (state 1).\n");
  else if (result.state == DLG_CHOSEN) printf("Chosen: %s\n", result.chosen_path);
  else printf("No file was chosen (state %u).\n", result.state);
  return exit_ok;
}

int cmd_open_help(const probe_args& args) {
  session s;
  int failed;
  if (!ask_or_say(s, code_help, {}, args, failed)) return failed;
  printf(reply_code_of(s.channel) == reply_help ? "The agent opens its help file.\n" : "Unexpected reply.\n");
  return exit_ok;
}
