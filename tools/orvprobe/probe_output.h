// Standard output and error of orvprobe and orvdesk, written through a buffer
// with WriteFile: no C runtime. A line is flushed as it ends, so that a caller
// reading the output while the program runs sees whole lines.
#pragma once
#include <cstdint>

#include "tools/orvprobe/json_out.h"

void out_write(const char* text, uint32_t length);
void out_text(const char* text);
// wsprintfA's format; the result is cut at 1,024 characters.
void out_format(const char* format, ...);
void out_line_end();  // "\n", then flush
void err_text(const char* text);  // standard error, at once

// A JSON writer onto standard output; end its line with out_line_end.
json_out out_json();

// Exit codes of the commands of orvprobe and orvdesk.
constexpr int exit_ok = 0;
constexpr int exit_no_reply = 1;  // also: no such window
constexpr int exit_usage = 2;
constexpr int exit_failed = 3;

// Says "PROGRAM WORD: TEXT" on standard error; returns exit_usage.
int usage_error(const char* word, const char* text);
extern const char program_name[];  // each program's own
