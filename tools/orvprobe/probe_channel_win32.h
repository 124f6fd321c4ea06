// The console editor's side of the clipboard: a hidden window that joins the
// clipboard viewer chain, writes objects under format 10 and catches the
// reply with the request's sequence as it appears. One per process.
#pragma once
#include <windows.h>

#include <cstdint>

struct json_out;
struct request_spec;

// A window of class "OrvProbe"; with join_chain, a clipboard viewer too.
bool channel_open(bool join_chain);
void channel_close();
HWND channel_window();
HWND channel_next_viewer();
// False: notifications stop here instead of going on down the chain.
void channel_forward(bool forward);

// Puts a request, or any object, into the clipboard under format 10. The
// wait for the reply with its sequence begins before the write.
bool channel_write_request(const request_spec& spec);
bool channel_write_object(const uint8_t* bytes, uint32_t size);

// Runs the message loop until the reply with the sequence has come or
// timeout_ms have passed.
bool channel_wait_reply(uint32_t sequence, DWORD timeout_ms);
// The reply caught last (its first 64 KiB), its size and arrival.
const uint8_t* channel_reply();
uint32_t channel_reply_size();
uint16_t channel_reply_code();
LARGE_INTEGER channel_reply_time();

// What the notifications bring, for a program that reports them.
struct channel_watcher {
  // object: the format-10 object while the clipboard is open, or null.
  void (*changed)(const uint8_t* object, uint32_t size, LARGE_INTEGER when);
  void (*chain_changed)(HWND leaving, HWND following);
};
void channel_watch(const channel_watcher* watcher);

// Sends to another clipboard viewer and waits a bounded time, not at all
// for a window the system knows to be hung: a hung viewer must not hang
// this program too. False when it was not answered.
bool send_to_viewer(HWND viewer, UINT message, WPARAM wparam, LPARAM lparam);

// Handles messages for milliseconds.
void channel_pump(DWORD milliseconds);

// OpenClipboard, tried again for a moment while another program has it open.
bool channel_open_clipboard(HWND window);

// What the clipboard holds now: its formats and any format-10 object.
void describe_clipboard(json_out& out, const char* name);

double ms_between(const LARGE_INTEGER& from, const LARGE_INTEGER& to);
// The wall clock in seconds since 1970, the clock of file times on Linux
// too: a benchmark lines up a request with files other programs write.
double unix_seconds();
// A window handle as decimal text (at least 24 bytes).
const char* handle_text(HWND window, char* text);
