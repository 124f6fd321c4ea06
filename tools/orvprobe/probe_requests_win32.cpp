// Commands that write request blocks as given and report what comes back.
#include <cstring>

#include "agent/channel/exchange_block.h"
#include "tools/orvprobe/probe_block.h"
#include "tools/orvprobe/probe_channel_win32.h"
#include "tools/orvprobe/probe_commands.h"
#include "tools/orvprobe/probe_output.h"

namespace {

// The bytes of every --hex option, which the request's pieces point into.
uint8_t hex_bytes[16384];

// Reads --code, --sequence, --block-size, --size, --magic, --hex OFF:HEX and
// --str OFF:TEXT (both repeatable) into a request; null, or what is wrong.
const char* request_from_args(const probe_args& args, request_spec& spec) {
  int64_t v;
  if (args.has("code") && !args.number("code", v)) return "bad --code";
  if (args.has("code")) spec.code = int16_t(v);
  if (args.has("sequence") && !args.number("sequence", v)) return "bad --sequence";
  if (args.has("sequence")) spec.sequence = uint32_t(v);
  if (args.has("block-size") && !args.number("block-size", v)) return "bad --block-size";
  if (args.has("block-size")) spec.block_size = int16_t(v);
  if (args.has("size") && (!args.number("size", v) || v < 1)) return "bad --size";
  if (args.has("size")) spec.object_size = uint32_t(v);
  if (args.has("magic") && !args.number("magic", v)) return "bad --magic";
  if (args.has("magic")) spec.magic = uint32_t(v);
  uint32_t hex_used = 0;
  for (int i = 0; i < args.option_count; ++i) {
    bool hex = same_text(args.names[i], "hex");
    if (!hex && !same_text(args.names[i], "str")) continue;
    const char* value = args.values[i];
    const char* colon = strchr(value, ':');
    char offset_text[16] = "";
    int64_t offset = -1;
    if (colon && colon - value < 16) {
      memcpy(offset_text, value, size_t(colon - value));
      offset_text[colon - value] = '\0';
    }
    if (!colon || !parse_number(offset_text, offset) || offset < 0 || offset > 0x7FFFFFFF)
      return hex ? "bad --hex (want OFFSET:VALUE)" : "bad --str (want OFFSET:VALUE)";
    if (spec.piece_count == max_payload_pieces) return "too many --hex and --str";
    payload_piece& piece = spec.pieces[spec.piece_count++];
    piece.offset = uint32_t(offset);
    if (hex) {
      if (!parse_hex(colon + 1, hex_bytes + hex_used, sizeof hex_bytes - hex_used, piece.length))
        return "bad hex in --hex";
      piece.bytes = hex_bytes + hex_used;
      hex_used += piece.length;
    } else {
      piece.bytes = reinterpret_cast<const uint8_t*>(colon + 1);
      piece.length = uint32_t(strlen(colon + 1)) + 1;  // with its NUL
    }
  }
  return nullptr;
}

}  // namespace

int exchange_and_report(const request_spec& spec, DWORD timeout) {
  json_out out = out_json();
  double sent_at = unix_seconds();
  LARGE_INTEGER sent;
  QueryPerformanceCounter(&sent);
  json_open(out);
  if (!channel_write_request(spec)) {
    json_text(out, "error", "the clipboard did not take the request");
    json_close(out);
    out_line_end();
    return exit_failed;
  }
  bool answered = channel_wait_reply(spec.sequence, timeout);
  json_uint(out, "sequence", spec.sequence);
  json_int(out, "code", spec.code);
  json_fixed(out, "sent_at", sent_at);
  if (answered) {
    describe_reply(out, "reply", channel_reply(), channel_reply_size());
    json_fixed(out, "elapsed_ms", ms_between(sent, channel_reply_time()));
  } else {
    json_null(out, "reply");
    describe_clipboard(out, "clipboard");
  }
  json_close(out);
  out_line_end();
  return answered ? exit_ok : exit_no_reply;
}

int cmd_send(const probe_args& args) {
  request_spec spec;
  if (const char* error = request_from_args(args, spec)) return usage_error("send", error);
  channel_forward(!args.has("no-forward"));
  if (!channel_open(true)) return exit_failed;
  int code = exchange_and_report(spec, args.timeout(2000));
  channel_close();
  return code;
}

int cmd_presence(const probe_args& args) {
  if (!channel_open(true)) return exit_failed;
  request_spec spec;
  spec.sequence = GetTickCount();
  DWORD timeout = args.timeout(2000);
  LARGE_INTEGER sent;
  QueryPerformanceCounter(&sent);
  bool answered = channel_write_request(spec) && channel_wait_reply(spec.sequence, timeout);
  bool right = answered && channel_reply_code() == reply_presence;
  if (right) {
    // wsprintfA has no floating point: tenths of a millisecond by hand.
    uint32_t tenths = uint32_t(ms_between(sent, channel_reply_time()) * 10.0 + 0.5);
    out_format("An agent answers (reply 8 in %lu.%lu ms).", tenths / 10, tenths % 10);
  } else if (answered) {
    out_format("Something answered with reply code %u, not the agent's 8.", channel_reply_code());
  } else {
    out_format("No agent answers: no reply within %lu ms.", timeout);
  }
  out_line_end();
  channel_close();
  return right ? exit_ok : exit_no_reply;
}

// Leaves the clipboard empty, so that an agent that starts next finds no
// earlier request or reply in it.
int cmd_clear(const probe_args&) {
  if (!channel_open_clipboard(nullptr)) return exit_failed;
  bool emptied = EmptyClipboard() != 0;
  CloseClipboard();
  return emptied ? exit_ok : exit_failed;
}
