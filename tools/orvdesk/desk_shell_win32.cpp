// Commands that play the shell and the printer driver: the tray as a
// restarting shell leaves it, the message the shell sends once it is back,
// and what a printer's device context tells the agent's page layout.
#include <windows.h>
#include <shellapi.h>

#include "tools/orvdesk/desk_commands.h"
#include "tools/orvprobe/probe_output.h"

// orvdesk tray delete|modify (--hwnd H | --class C) [--id N]: the icon N
// (default 1) of the window taken out of the tray, as a restarting shell
// loses it, or modified with nothing changed, which succeeds only for an
// icon the tray holds. Exit 0 when the shell said yes, 1 when no.
int cmd_tray(const probe_args& args) {
  bool remove = args.positional_count == 1 && same_text(args.positional[0], "delete");
  if (args.positional_count != 1 || (!remove && !same_text(args.positional[0], "modify")))
    return usage_error("tray", "say delete or modify");
  int64_t id = 1;
  args.number("id", id);
  HWND window = target_window(args);
  NOTIFYICONDATAA data;
  ZeroMemory(&data, sizeof data);
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window;
  data.uID = UINT(id);
  bool done = window && Shell_NotifyIconA(remove ? NIM_DELETE : NIM_MODIFY, &data);
  json_out out = out_json();
  json_open(out);
  json_text(out, "tray", args.positional[0]);
  json_bool(out, "window", window != nullptr);
  json_bool(out, "done", done);
  json_close(out);
  out_line_end();
  return done ? exit_ok : exit_no_reply;
}

// What a shell that has just started sends to every top-level window, so
// that the programs in the tray add their icons again.
int cmd_taskbar_created(const probe_args&) {
  UINT message = RegisterWindowMessageA("TaskbarCreated");
  bool sent = message && SendNotifyMessageA(HWND_BROADCAST, message, 0, 0);
  json_out out = out_json();
  json_open(out);
  json_uint(out, "message", message);
  json_bool(out, "sent", sent);
  json_close(out);
  out_line_end();
  return sent ? exit_ok : exit_failed;
}

int cmd_printer_metrics(const probe_args& args) {
  if (args.positional_count < 1) return usage_error("printer-metrics", "NAME is required");
  const char* name = args.positional[0];
  json_out out = out_json();
  json_open(out);
  json_text(out, "printer", name);
  HDC dc = CreateDCA(nullptr, name, nullptr, nullptr);
  if (!dc) {
    json_null(out, "metrics");
    json_close(out);
    out_line_end();
    out_format("No device context for \"%s\".", name);
    out_line_end();
    return exit_failed;
  }
  SetMapMode(dc, MM_TEXT);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  int width = GetDeviceCaps(dc, HORZRES), height = GetDeviceCaps(dc, VERTRES);
  SIZE extent{};
  GetTextExtentPoint32A(dc, "M", 1, &extent);
  DeleteDC(dc);
  json_int(out, "horzres", width);
  json_int(out, "vertres", height);
  json_int(out, "tm_height", metrics.tmHeight);
  json_int(out, "m_width", extent.cx);
  json_close(out);
  out_line_end();
  out_format("\"%s\": %d x %d dots, line height %ld", name, width, height, long(metrics.tmHeight));
  out_line_end();
  return exit_ok;
}
