// Finds the console editor's window among the top-level windows by scoring
// each on three marks: a title that begins like a DOS prompt window's, a
// title that contains the editor's text, and the console class "tty".
#pragma once
#include "agent/channel/channel_os.h"

constexpr int locator_rounds = 64;           // top-level windows looked at
constexpr unsigned locator_buffer_size = 128;  // titles and class names

// The highest-scoring window with at least 2 points (the first one met in Z
// order among equals), or null.
os_handle find_console_window(const char* text);
