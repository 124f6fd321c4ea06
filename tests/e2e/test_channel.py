"""The agent in the real clipboard viewer chain, with orvdesk watchers as its
next viewers."""
from conftest import Agent, assert_reply
from desktop.viewers import start_watch

WM_CHANGECBCHAIN = 0x030D


def draws(watch):
    return len([e for e in watch.poll() if e["event"] == "draw_clipboard"])


def test_chain_changes_are_repaired_or_passed_on_and_a_killed_viewer_is_survived(desktop):
    second, watch = start_watch(desktop), start_watch(desktop)
    agent_hwnd = Agent(desktop).wait_answering().window()["hwnd"]
    watch.settle()
    # A change that names another window is passed to the next viewer as it came.
    desktop.desk("message", "--hwnd", agent_hwnd, "--msg", WM_CHANGECBCHAIN,
                  "--wparam", 0x4711, "--lparam", 0x4712)
    passed = watch.wait_for(lambda e: e["event"] == "change_cb_chain")
    assert passed and (passed["leaving"], passed["following"]) == (str(0x4711), str(0x4712))
    # Its next viewer leaves, naming the second watcher: the agent repairs its link, tells nobody.
    desktop.desk("message", "--hwnd", agent_hwnd, "--msg", WM_CHANGECBCHAIN,
                  "--wparam", watch.hwnd, "--lparam", second.hwnd)
    assert len([e for e in watch.settle() if e["event"] == "change_cb_chain"]) == 1
    counts = draws(watch), draws(second)
    assert_reply(desktop.send("--code", 7, "--sequence", 99), 8)
    second.settle(1.0)
    assert (draws(watch), draws(second) > counts[1]) == (counts[0], True), \
        "the agent's reply reaches the second watcher, no longer the one that left"
    second.process.kill()  # the next viewer ends without leaving the chain
    second.process.wait(timeout=15)
    for sequence in range(10, 20):
        assert_reply(desktop.send("--code", 7, "--sequence", sequence), 8)
