// Commands that load the agent or watch the clipboard: many requests in a
// row, timed; and every notification of the viewer chain as it comes.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "agent/channel/exchange_block.h"
#include "tools/orvdesk/desk_commands.h"
#include "tools/orvprobe/probe_block.h"
#include "tools/orvprobe/probe_channel_win32.h"
#include "tools/orvprobe/probe_output.h"

namespace {

// Waits, handling messages, until the file exists: the caller's signal that
// it has read what it wanted at a mark.
void wait_for_file(const std::string& path) {
  while (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) channel_pump(20);
}

void report_change(const uint8_t* object, uint32_t size, LARGE_INTEGER when) {
  json_out out = out_json();
  json_open(out);
  json_text(out, "event", "draw_clipboard");
  // Wine's performance counter is one clock for every process of the
  // prefix, so the tests can order these events against other programs'.
  json_fixed(out, "t_ms", ms_between(LARGE_INTEGER{}, when));
  if (object) {
    json_open(out, "format10");
    json_uint(out, "size", size);
    if (size >= 4) json_uint(out, "magic", get_u32(object + off_magic));
    if (size >= off_code + 2) {
      json_uint(out, "sequence", get_u32(object + off_sequence));
      json_uint(out, "code", get_u16(object + off_code));
    }
    json_close(out);
  } else {
    json_null(out, "format10");
  }
  json_close(out);
  out_line_end();
}

// The digits a spool name of a reply ends in: each request served once
// gives the next number.
uint32_t spool_number(const uint8_t* reply, uint32_t size) {
  uint32_t end = header_size, number = 0;
  while (end < size && reply[end]) end++;
  uint32_t start = end;
  while (start > header_size && reply[start - 1] >= '0' && reply[start - 1] <= '9') start--;
  for (uint32_t i = start; i < end; i++) number = number * 10 + uint32_t(reply[i] - '0');
  return number;
}

// The window that published the first reply of a batch: a benchmark
// tells the agent that answered from another one that might have.
struct first_reply_owner {
  bool wanted;
  uint32_t sequence;
  HWND owner;
} first_reply = {false, 0, nullptr};

void note_reply_owner(const uint8_t* object, uint32_t size, LARGE_INTEGER) {
  if (!first_reply.wanted || !object || size < header_size) return;
  if (get_u32(object + off_magic) != reply_magic || get_u32(object + off_sequence) != first_reply.sequence) return;
  first_reply.owner = GetClipboardOwner();  // the clipboard is open: it is this change's owner
  first_reply.wanted = false;
}

void no_chain_report(HWND, HWND) {}

void report_chain(HWND leaving, HWND following) {
  char handle[24];
  json_out out = out_json();
  json_open(out);
  json_text(out, "event", "change_cb_chain");
  json_text(out, "leaving", handle_text(leaving, handle));
  json_text(out, "following", handle_text(following, handle));
  json_close(out);
  out_line_end();
}

}  // namespace

int cmd_batch(const probe_args& args) {
  int64_t count = 1000, mark = 0, first = 1, code = code_presence;
  args.number("count", count);
  args.number("mark", mark);
  args.number("first-sequence", first);
  args.number("code", code);
  std::string resume = args.get("resume-file");
  DWORD timeout = args.timeout(2000);
  int64_t gone = 0;
  bool after_gone = args.number("after-window-gone", gone);
  static const channel_watcher owner_watcher = {note_reply_owner, no_chain_report};
  channel_watch(&owner_watcher);
  if (!channel_open(true)) return exit_failed;
  // After the joining notification: a reply the clipboard held before is not this batch's.
  first_reply = {true, uint32_t(first), nullptr};
  if (after_gone) {
    // In the chain now; the first request is written within a millisecond
    // or two of the window's end, so that its program can't answer it.
    json_out out = out_json();
    json_open(out);
    json_text(out, "event", "waiting");
    json_close(out);
    out_line_end();
    while (IsWindow(HWND(uintptr_t(gone)))) channel_pump(1);
  }
  double first_sent_at = unix_seconds();
  std::vector<double> times;
  std::vector<uint32_t> spool_numbers;  // code 3: the number each name ends in
  uint32_t lost = 0, wrong = 0;
  double first_ms = -1;
  for (int64_t i = 0; i < count; i++) {
    request_spec spec;
    spec.code = int16_t(code);
    spec.sequence = uint32_t(first + i);
    LARGE_INTEGER sent;
    QueryPerformanceCounter(&sent);
    if (channel_write_request(spec) && channel_wait_reply(spec.sequence, timeout)) {
      times.push_back(ms_between(sent, channel_reply_time()));
      if (i == 0) first_ms = times.back();
      // Every code a batch asks for is answered with the next code up.
      if (channel_reply_code() != uint16_t(code + 1)) wrong++;
      if (code == code_spool_name) spool_numbers.push_back(spool_number(channel_reply(), channel_reply_size()));
    } else {
      lost++;
    }
    if (mark > 0 && i + 1 == mark) {
      json_out out = out_json();
      json_open(out);
      json_text(out, "event", "mark");
      json_uint(out, "done", uint32_t(i + 1));
      json_close(out);
      out_line_end();
      if (!resume.empty()) wait_for_file(resume + ".mark");
    }
  }
  std::sort(times.begin(), times.end());
  auto percentile = [&](double p) {
    return times.empty() ? 0.0 : times[std::min(times.size() - 1, size_t(p * double(times.size())))];
  };
  json_out out = out_json();
  json_open(out);
  json_text(out, "event", "done");
  json_uint(out, "count", uint32_t(count));
  json_uint(out, "answered", uint32_t(times.size()));
  json_uint(out, "lost", lost);
  json_uint(out, "wrong_code", wrong);
  json_fixed(out, "p50_ms", percentile(0.50));
  json_fixed(out, "p99_ms", percentile(0.99));
  json_fixed(out, "first_sent_at", first_sent_at);
  if (first_ms >= 0)
    json_fixed(out, "first_ms", first_ms);
  else
    json_null(out, "first_ms");
  char handle[24];
  json_text(out, "first_reply_owner", handle_text(first_reply.owner, handle));
  if (code == code_spool_name) {
    json_open_list(out, "spool_numbers");
    for (uint32_t n : spool_numbers) json_uint(out, nullptr, n);
    json_close_list(out);
  }
  json_close(out);
  out_line_end();
  if (!resume.empty()) wait_for_file(resume + ".end");
  channel_close();
  return lost == 0 && wrong == 0 ? exit_ok : exit_no_reply;
}

int cmd_clipboard_viewer(const probe_args&) {
  char handle[24];
  json_out out = out_json();
  json_open(out);
  json_text(out, "viewer", handle_text(GetClipboardViewer(), handle));
  json_close(out);
  out_line_end();
  return exit_ok;
}

int cmd_watch(const probe_args& args) {
  static const channel_watcher watcher = {report_change, report_chain};
  channel_forward(!args.has("no-forward"));
  channel_watch(&watcher);  // the notification on joining tells what the clipboard holds
  if (!channel_open(true)) return exit_failed;
  char handle[24];
  json_out out = out_json();
  json_open(out);
  json_text(out, "event", "ready");
  json_text(out, "hwnd", handle_text(channel_window(), handle));
  json_text(out, "next", handle_text(channel_next_viewer(), handle));
  json_close(out);
  out_line_end();
  run_until_stopped(args, 30);
  channel_close();
  return exit_ok;
}
