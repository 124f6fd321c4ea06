// orvdesk replay: writes clipboard objects read from a file, one after the
// other, as any program on the desktop might, and checks after each that
// the agent still answers a presence check.
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "agent/channel/exchange_block.h"
#include "tools/orvdesk/desk_commands.h"
#include "tools/orvprobe/probe_block.h"
#include "tools/orvprobe/probe_channel_win32.h"
#include "tools/orvprobe/probe_output.h"

static BOOL CALLBACK click_no_or_ok(HWND child, LPARAM) {
  char text[32] = "";
  GetWindowTextA(child, text, sizeof text);
  if (lstrcmpA(text, "&No") == 0 || lstrcmpA(text, "No") == 0 || lstrcmpA(text, "OK") == 0) {
    SendMessageA(child, BM_CLICK, 0, 0);
    return FALSE;
  }
  return TRUE;
}

// The Help viewer holds the agent in WinHelpA while it shows its "ERROR"
// box for a help file it cannot read; a user answers the box.
static bool answer_help_box(DWORD timeout_ms) {
  DWORD end = GetTickCount() + timeout_ms;
  while (int32_t(end - GetTickCount()) > 0) {
    HWND box = FindWindowA(nullptr, "ERROR");
    if (box && IsWindowVisible(box)) {
      EnumChildWindows(box, click_no_or_ok, 0);
      while (IsWindow(box) && int32_t(end - GetTickCount()) > 0) channel_pump(20);
      return !IsWindow(box);
    }
    channel_pump(20);
  }
  return false;
}

int cmd_replay(const probe_args& args) {
  std::ifstream in(args.positional_count ? args.positional[0] : "");
  if (!in) return usage_error("replay", "give a file with one object in hex per line");
  DWORD timeout = args.timeout(500);
  if (!channel_open(true)) return exit_failed;
  std::string line;
  uint32_t index = 0, unanswered_presence = 0;
  std::vector<uint8_t> bytes;
  while (std::getline(in, line)) {
    bytes.resize(line.size() / 2 + 1);
    uint32_t size;
    if (!parse_hex(line.c_str(), bytes.data(), uint32_t(bytes.size()), size) || !size) continue;
    uint32_t sequence = size >= off_sequence + 4 ? get_u32(&bytes[off_sequence]) : 0;
    json_out out = out_json();
    json_open(out);
    json_uint(out, "index", index++);
    if (!channel_write_object(bytes.data(), size)) {
      json_text(out, "error", "the clipboard did not take the object");
    } else if (channel_wait_reply(sequence, timeout)) {
      describe_reply(out, "reply", channel_reply(), channel_reply_size());
      if (channel_reply_code() == reply_help) json_bool(out, "help_box_answered", answer_help_box(10000));
    } else {
      json_null(out, "reply");
    }
    request_spec presence;
    presence.sequence = 0x7E000000u + index;
    bool present = channel_write_request(presence) && channel_wait_reply(presence.sequence, 3000) &&
                   channel_reply_code() == reply_presence;
    unanswered_presence += !present;
    json_bool(out, "presence", present);
    json_close(out);
    out_line_end();
  }
  channel_close();
  return unanswered_presence == 0 ? exit_ok : exit_no_reply;
}
