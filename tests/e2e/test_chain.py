"""The agent as a member of the clipboard viewer chain, with orvprobe as the
viewer after it."""
import time

from conftest import Agent
from replies import assert_reply

REQUEST_MAGIC = 0x88776655
REPLY_MAGIC = 0x88776644
WM_CHANGECBCHAIN = 0x030D


def notifications(stream):
    return [e for e in stream.poll() if e["event"] == "draw_clipboard"]


def watcher_then_agent(desktop):
    """Starts a watcher, then an agent, so that the watcher is the agent's next viewer."""
    watch = desktop.start_probe("watch", "--seconds", 120)
    ready = watch.wait_for(lambda e: e["event"] == "ready")
    assert ready
    agent = Agent(desktop).wait_answering()
    assert agent.window(), "the agent has a window"
    return watch, ready["hwnd"], agent


def test_requests_are_kept_from_the_chain_and_everything_else_is_passed_on(desktop):
    watch, _, agent = watcher_then_agent(desktop)
    watch.settle()
    before = len(notifications(watch))
    assert_reply(desktop.send("--code", 7, "--sequence", 4242), 8)
    # A block of 32 bytes is no request: it goes down the chain.
    desktop.send("--code", 7, "--size", 32, "--sequence", 4343, "--timeout", 300)
    seen = notifications(watch)[before:]
    watch.settle(1.0)
    seen = notifications(watch)[before:]
    blocks = [e["format10"] for e in seen if e["format10"]]
    assert not any(b.get("magic") == REQUEST_MAGIC and b["size"] > 32 for b in blocks), \
        "a captured request reached the next viewer"
    assert any(b.get("magic") == REPLY_MAGIC and b.get("sequence") == 4242 for b in blocks), \
        "the agent's own reply is passed on"
    assert any(b["size"] == 32 for b in blocks), "a non-request change is passed on"
    agent.quit()
    watch.stop()


def test_chain_changes_are_repaired_or_passed_on_unchanged(desktop):
    second = desktop.start_probe("watch", "--seconds", 120)
    second_hwnd = second.wait_for(lambda e: e["event"] == "ready")["hwnd"]
    watch, watch_hwnd, agent = watcher_then_agent(desktop)
    watch.settle()

    # A change that names another window is passed to the next viewer as it came.
    agent_hwnd = agent.window()["hwnd"]
    desktop.probe("message", "--hwnd", agent_hwnd, "--msg", WM_CHANGECBCHAIN,
                  "--wparam", 0x4711, "--lparam", 0x4712)
    passed = watch.wait_for(lambda e: e["event"] == "change_cb_chain")
    assert passed and passed["leaving"] == str(0x4711) and passed["following"] == str(0x4712)

    # The agent's next viewer leaves, naming the second watcher: the agent
    # repairs its link and tells nobody.
    desktop.probe("message", "--hwnd", agent_hwnd, "--msg", WM_CHANGECBCHAIN,
                  "--wparam", watch_hwnd, "--lparam", second_hwnd)
    watch.settle()
    changes = [e for e in watch.poll() if e["event"] == "change_cb_chain"]
    assert len(changes) == 1, "a repair is not passed on"
    first_count = len(notifications(watch))
    second_count = len(notifications(second))
    assert_reply(desktop.send("--code", 7, "--sequence", 99), 8)
    second.settle(1.0)
    assert len(notifications(second)) > second_count, "notifications now go to the second watcher"
    assert len(notifications(watch)) == first_count, "and no longer to the one that left"
    agent.quit()
    watch.stop()
    second.stop()


def test_a_posted_destroy_ends_the_agent_and_gives_back_the_chain(desktop):
    watch, _, agent = watcher_then_agent(desktop)
    assert agent.quit() == 0
    watch.settle()
    before = len(notifications(watch))
    result = desktop.send("--code", 7, "--sequence", 5, "--timeout", 700)
    assert result["reply"] is None, "no agent answers any more"
    watch.settle(1.0)
    after = notifications(watch)[before:]
    assert any(e["format10"] and e["format10"].get("magic") == REQUEST_MAGIC for e in after), \
        "clipboard changes reach the next viewer again"
    watch.stop()
