// orvprobe's side of the clipboard: a hidden window in the viewer chain
// that writes request blocks and catches the replies as they appear.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct probe_channel {
  HWND window = nullptr;
  HWND next = nullptr;
  bool joined = false;
  bool watching = false;         // report every notification on stdout
  bool forward = true;           // pass notifications down the chain
  bool waiting = false;
  uint32_t awaited_sequence = 0;
  bool have_reply = false;
  std::vector<uint8_t> reply;
  LARGE_INTEGER reply_time{};
};

bool probe_open(probe_channel& channel, bool join_chain);
void probe_close(probe_channel& channel);

// OpenClipboard, tried again for a moment while another program has it open.
bool probe_open_clipboard(HWND window);

// Puts the bytes into the clipboard under format 10 as one global object.
bool probe_write(probe_channel& channel, const std::vector<uint8_t>& bytes);

// Runs the message loop until a reply block with the sequence shows up or
// timeout_ms pass. Also returns early when stop() says so (watch mode).
bool probe_wait_reply(probe_channel& channel, uint32_t sequence, DWORD timeout_ms);
void probe_pump(DWORD milliseconds);

// What the clipboard holds now, as JSON: its formats and any format-10 block.
std::string probe_clipboard_json(HWND window);

struct probe_args;
struct request_spec;
DWORD timeout_of(const probe_args& args, DWORD fallback);
// Sends one request, prints the outcome as one JSON line and leaves the
// reply (if any) in channel.reply. Returns exit_ok or exit_no_reply.
int exchange_and_report(probe_channel& channel, const request_spec& spec, DWORD timeout);

double probe_ms_between(const LARGE_INTEGER& from, const LARGE_INTEGER& to);
// The wall clock in seconds since 1970, the clock of file times on Linux
// too: a benchmark lines up a request with files other programs write.
double probe_unix_seconds();
std::string hwnd_text(HWND window);
