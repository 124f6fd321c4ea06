// Tries an operation again and again for a bounded time: for what fails
// only while another program holds something for a moment (the clipboard,
// an agent that is still ending). The clock and the pause come from the
// caller, so that the bound can be proven against a fake clock.
#pragma once
#include <cstdint>

// Calls attempt() until it returns true or bound_ms have passed since the
// first call, pausing pause_ms between calls. True when an attempt
// succeeded. tick_ms() may wrap around: only differences are used.
template <typename Attempt, typename Tick, typename Pause>
bool retry_within(uint32_t bound_ms, uint32_t pause_ms, Attempt attempt, Tick tick_ms,
                  Pause pause) {
  uint32_t start = tick_ms();
  for (;;) {
    if (attempt()) return true;
    if (uint32_t(tick_ms() - start) >= bound_ms) return false;
    pause(pause_ms);
  }
}

// OpenClipboard fails while another program has the clipboard open; the
// holders we meet (clipboard managers, viewers reading a change) let go
// within milliseconds. Held longer than this, one request or reply is lost.
constexpr uint32_t clipboard_wait_ms = 100;
constexpr uint32_t clipboard_pause_ms = 10;
