// Commands that talk to the agent through the clipboard.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "agent/channel/exchange_block.h"
#include "tools/orvprobe/probe_block.h"
#include "tools/orvprobe/probe_commands.h"
#include "tools/orvprobe/probe_exchange_win32.h"
#include "tools/orvprobe/probe_json.h"

DWORD timeout_of(const probe_args& args, DWORD fallback) {
  int64_t ms;
  return args.number("timeout", ms) && ms >= 0 ? DWORD(ms) : fallback;
}

// Reads --code, --sequence, --block-size, --size, --magic, --hex OFF:HEX and
// --str OFF:TEXT (both repeatable) into a request. false: a bad value.
static bool request_from_args(const probe_args& args, request_spec& spec, std::string& error) {
  int64_t v;
  if (args.has("code") && !args.number("code", v)) return error = "bad --code", false;
  if (args.has("code")) spec.code = int16_t(v);
  if (args.has("sequence") && !args.number("sequence", v)) return error = "bad --sequence", false;
  if (args.has("sequence")) spec.sequence = uint32_t(v);
  if (args.has("block-size")) {
    if (!args.number("block-size", v)) return error = "bad --block-size", false;
    spec.block_size = int16_t(v);
  }
  if (args.has("size")) {
    if (!args.number("size", v) || v < 1) return error = "bad --size", false;
    spec.object_size = uint32_t(v);
  }
  if (args.has("magic")) {
    if (!args.number("magic", v)) return error = "bad --magic", false;
    spec.magic = uint32_t(v);
  }
  for (const char* kind : {"hex", "str"}) {
    for (const std::string& item : args.all(kind)) {
      size_t colon = item.find(':');
      int64_t offset;
      if (colon == std::string::npos || !parse_number(item.substr(0, colon), offset) || offset < 0)
        return error = std::string("bad --") + kind + " (want OFFSET:VALUE)", false;
      std::vector<uint8_t> bytes;
      std::string value = item.substr(colon + 1);
      if (kind[0] == 'h') {
        if (!parse_hex(value, bytes)) return error = "bad hex in --hex", false;
      } else {
        bytes.assign(value.begin(), value.end());
        bytes.push_back(0);
      }
      spec.payload.push_back({uint32_t(offset), bytes});
    }
  }
  return true;
}

// Sends one request and prints the outcome as one JSON line.
int exchange_and_report(probe_channel& channel, const request_spec& spec, DWORD timeout) {
  std::vector<uint8_t> block = build_request(spec);
  double sent_at = probe_unix_seconds();
  LARGE_INTEGER sent;
  QueryPerformanceCounter(&sent);
  if (!probe_write(channel, block)) {
    printf("%s\n", json_object().field("error", "the clipboard did not take the request").text().c_str());
    return exit_failed;
  }
  bool answered = probe_wait_reply(channel, spec.sequence, timeout);
  json_object out;
  out.field("sequence", int64_t(spec.sequence)).field("code", int64_t(spec.code)).field("sent_at", sent_at);
  if (answered) {
    out.raw("reply", describe_reply(channel.reply)).field("elapsed_ms", probe_ms_between(sent, channel.reply_time));
  } else {
    out.null("reply").raw("clipboard", probe_clipboard_json(channel.window));
  }
  printf("%s\n", out.text().c_str());
  fflush(stdout);
  return answered ? exit_ok : exit_no_reply;
}

int cmd_send(const probe_args& args) {
  request_spec spec;
  std::string error;
  if (!request_from_args(args, spec, error)) {
    fprintf(stderr, "orvprobe send: %s\n", error.c_str());
    return exit_usage;
  }
  probe_channel channel;
  channel.forward = !args.has("no-forward");
  if (!probe_open(channel, true)) return exit_failed;
  int code = exchange_and_report(channel, spec, timeout_of(args, 2000));
  probe_close(channel);
  return code;
}

int cmd_presence(const probe_args& args) {
  probe_channel channel;
  if (!probe_open(channel, true)) return exit_failed;
  request_spec spec;
  spec.code = code_presence;
  spec.sequence = GetTickCount();
  LARGE_INTEGER sent;
  QueryPerformanceCounter(&sent);
  bool answered = probe_write(channel, build_request(spec)) &&
                  probe_wait_reply(channel, spec.sequence, timeout_of(args, 2000));
  bool right = answered && get_u16(&channel.reply[off_code]) == reply_presence;
  if (right) {
    printf("An agent answers (reply 8 in %.1f ms).\n", probe_ms_between(sent, channel.reply_time));
  } else if (answered) {
    printf("Something answered with reply code %u, not the agent's 8.\n", get_u16(&channel.reply[off_code]));
  } else {
    printf("No agent answers: no reply within %lu ms.\n", (unsigned long)timeout_of(args, 2000));
  }
  probe_close(channel);
  return right ? exit_ok : exit_no_reply;
}

// Leaves the clipboard empty, so that an agent that starts next finds no
// earlier request or reply in it.
int cmd_clear(const probe_args&) {
  if (!probe_open_clipboard(nullptr)) return exit_failed;
  bool emptied = EmptyClipboard() != 0;
  CloseClipboard();
  return emptied ? exit_ok : exit_failed;
}

// Waits, pumping messages, until the file exists: the caller's signal that
// it has read what it wanted at a mark.
static void wait_for_file(const std::string& path) {
  while (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) probe_pump(20);
}

int cmd_batch(const probe_args& args) {
  int64_t count = 1000, mark = 0, first = 1, code = code_presence;
  args.number("count", count);
  args.number("mark", mark);
  args.number("first-sequence", first);
  args.number("code", code);
  std::string resume = args.get("resume-file");
  DWORD timeout = timeout_of(args, 2000);
  probe_channel channel;
  if (!probe_open(channel, true)) return exit_failed;
  std::vector<double> times;
  int64_t lost = 0, wrong = 0;
  for (int64_t i = 0; i < count; i++) {
    request_spec spec;
    spec.code = int16_t(code);
    spec.sequence = uint32_t(first + i);
    LARGE_INTEGER sent;
    QueryPerformanceCounter(&sent);
    if (probe_write(channel, build_request(spec)) && probe_wait_reply(channel, spec.sequence, timeout)) {
      times.push_back(probe_ms_between(sent, channel.reply_time));
      // Every code a batch asks for is answered with the next code up.
      if (get_u16(&channel.reply[off_code]) != uint16_t(code + 1)) wrong++;
    } else {
      lost++;
    }
    if (mark > 0 && i + 1 == mark) {
      printf("%s\n", json_object().field("event", "mark").field("done", i + 1).text().c_str());
      fflush(stdout);
      if (!resume.empty()) wait_for_file(resume + ".mark");
    }
  }
  std::sort(times.begin(), times.end());
  auto percentile = [&](double p) {
    return times.empty() ? 0.0 : times[std::min(times.size() - 1, size_t(p * double(times.size())))];
  };
  printf("%s\n", json_object()
                     .field("event", "done")
                     .field("count", count)
                     .field("answered", int64_t(times.size()))
                     .field("lost", lost)
                     .field("wrong_code", wrong)
                     .field("p50_ms", percentile(0.50))
                     .field("p99_ms", percentile(0.99))
                     .text()
                     .c_str());
  fflush(stdout);
  if (!resume.empty()) wait_for_file(resume + ".end");
  probe_close(channel);
  return lost == 0 && wrong == 0 ? exit_ok : exit_no_reply;
}

int cmd_watch(const probe_args& args) {
  int64_t seconds = 30;
  args.number("seconds", seconds);
  probe_channel channel;
  channel.watching = true;
  channel.forward = !args.has("no-forward");
  if (!probe_open(channel, false)) return exit_failed;
  channel.next = SetClipboardViewer(channel.window);
  channel.joined = true;
  printf("%s\n", json_object()
                     .field("event", "ready")
                     .field("hwnd", hwnd_text(channel.window))
                     .field("next", hwnd_text(channel.next))
                     .text()
                     .c_str());
  fflush(stdout);
  std::string stop = args.get("stop-file");
  DWORD end = GetTickCount() + DWORD(seconds * 1000);
  while (int32_t(end - GetTickCount()) > 0) {
    probe_pump(50);
    if (!stop.empty() && GetFileAttributesA(stop.c_str()) != INVALID_FILE_ATTRIBUTES) break;
  }
  probe_close(channel);
  return exit_ok;
}
