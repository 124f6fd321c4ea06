// orvprobe replay: writes clipboard objects read from a file, one after the
// other, as any program on the desktop might, and checks after each that
// the agent still answers a presence check.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "agent/channel/exchange_block.h"
#include "tools/orvprobe/probe_args.h"
#include "tools/orvprobe/probe_block.h"
#include "tools/orvprobe/probe_commands.h"
#include "tools/orvprobe/probe_exchange_win32.h"
#include "tools/orvprobe/probe_json.h"

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
      while (IsWindow(box) && int32_t(end - GetTickCount()) > 0) probe_pump(20);
      return !IsWindow(box);
    }
    probe_pump(20);
  }
  return false;
}

int cmd_replay(const probe_args& args) {
  std::ifstream in(args.positional.empty() ? "" : args.positional[0]);
  if (!in) {
    fprintf(stderr, "orvprobe replay: give a file with one object in hex per line\n");
    return exit_usage;
  }
  DWORD timeout = timeout_of(args, 500);
  probe_channel channel;
  if (!probe_open(channel, true)) return exit_failed;
  std::string line;
  int64_t index = 0, unanswered_presence = 0;
  while (std::getline(in, line)) {
    std::vector<uint8_t> bytes;
    if (!parse_hex(line, bytes) || bytes.empty()) continue;
    uint32_t sequence = bytes.size() >= off_sequence + 4 ? get_u32(&bytes[off_sequence]) : 0;
    json_object out;
    out.field("index", index++);
    if (!probe_write(channel, bytes)) {
      out.field("error", "the clipboard did not take the object");
    } else if (probe_wait_reply(channel, sequence, timeout)) {
      out.raw("reply", describe_reply(channel.reply));
      if (get_u16(&channel.reply[off_code]) == 14) out.field("help_box_answered", answer_help_box(10000));
    } else {
      out.null("reply");
    }
    request_spec presence;
    presence.code = code_presence;
    presence.sequence = 0x7E000000u + uint32_t(index);
    bool present = probe_write(channel, build_request(presence)) &&
                   probe_wait_reply(channel, presence.sequence, 3000) &&
                   get_u16(&channel.reply[off_code]) == reply_presence;
    unanswered_presence += !present;
    out.field("presence", present);
    printf("%s\n", out.text().c_str());
    fflush(stdout);
  }
  probe_close(channel);
  return unanswered_presence == 0 ? exit_ok : exit_no_reply;
}
