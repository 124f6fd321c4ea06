// The agent window's place in the clipboard viewer chain: joining and
// leaving it, passing notifications on, and a check, once a second, that
// the chain still reaches the agent.
//
// The system knows only the chain's head; every other link lives in the
// viewers themselves. A head that ends without leaving takes the whole
// chain with it, and a viewer ahead of the agent that is dead, hung or
// never passes notifications on cuts the agent off while the head looks
// well. The check notices a clipboard change that no notification has
// brought for a whole check, serves a request waiting there, and asks the
// head whether a notification still comes round to the agent. When none
// does, the agent takes the head again, keeping its link to the viewers
// behind it and telling the viewers it displaced beside them. Nothing is
// sent to another program without a bound on the wait.
#pragma once
#include <cstdint>

#include "channel_os.h"
#include "common/viewer_send.h"

// How often the agent checks that it still hears the chain: once a second
// while it has heard of every change, which costs a wake-up and two calls
// into the system; soon again after a change it has not heard of.
constexpr uint32_t chain_check_ms = 1000;
constexpr uint32_t chain_recheck_ms = 200;

void channel_join(os_handle window);   // WM_CREATE
void channel_leave(os_handle window);  // WM_DESTROY
void channel_draw_clipboard(os_handle window, uintptr_t wparam, intptr_t lparam);
void channel_chain_changed(os_handle window, os_handle leaving, os_handle following);
void channel_check(os_handle window);  // the timer
os_handle channel_next_viewer();

// Back to the state at program start; for tests only.
void viewer_chain_reset();
