"""The request channel on the real clipboard, with an orvprobe watcher as the
agent's next viewer in the clipboard viewer chain."""
from conftest import Agent, assert_no_reply, assert_reply, start_watch

REQUEST_MAGIC, REPLY_MAGIC, WM_CHANGECBCHAIN = 0x88776655, 0x88776644, 0x030D


def seen(watch, since=0):
    return [e for e in watch.poll()[since:] if e["event"] == "draw_clipboard"]


def watcher_then_agent(desktop):
    watch = start_watch(desktop)
    agent = Agent(desktop).wait_answering()
    watch.settle()
    return watch, agent


def test_requests_are_answered_and_kept_from_the_chain_and_all_else_passes_on(desktop):
    watch, agent = watcher_then_agent(desktop)
    before = len(watch.poll())
    # (object size, block_size, sequence) -> reply size, from the size the clipboard reports
    for size, block_size, sequence, reply_size in [(33, 33, 0xFFFFFFFF, 64), (64, 64, 0, 96),
                                                   (96, -1, 0x12345678, 64)]:
        assert_reply(desktop.send("--code", 7, "--size", size, "--block-size", block_size,
                                  "--sequence", sequence), 8, reply_size)
    for no_request in (["--size", 32], ["--magic", 0x88776656], ["--code", 2]):
        assert_no_reply(desktop.send("--code", 7, "--sequence", 4343, *no_request, "--timeout", 600))
    watch.settle(1.0)
    blocks = [e["format10"] for e in seen(watch, before) if e["format10"]]
    requests = [b for b in blocks if b.get("magic") == REQUEST_MAGIC]
    assert [b["size"] for b in requests] == [32], "only the 32-byte object is no request"
    assert [b.get("sequence") for b in blocks if b.get("magic") == REPLY_MAGIC] == \
        [0xFFFFFFFF, 0, 0x12345678], "the agent's own replies are passed on"
    assert any(b.get("magic") not in (REQUEST_MAGIC, REPLY_MAGIC) for b in blocks), "a wrong magic passes"

    assert agent.quit() == 0
    watch.settle()
    before = len(watch.poll())
    assert_no_reply(desktop.send("--code", 7, "--sequence", 5, "--timeout", 700))
    watch.settle(1.0)
    assert any(e["format10"] and e["format10"].get("magic") == REQUEST_MAGIC
               for e in seen(watch, before)), "the ended agent gave its place in the chain back"
    watch.stop()


def test_chain_changes_are_repaired_or_passed_on_unchanged(desktop):
    second = start_watch(desktop)
    watch, agent = watcher_then_agent(desktop)
    agent_hwnd = agent.window()["hwnd"]
    # A change that names another window is passed to the next viewer as it came.
    desktop.probe("message", "--hwnd", agent_hwnd, "--msg", WM_CHANGECBCHAIN,
                  "--wparam", 0x4711, "--lparam", 0x4712)
    passed = watch.wait_for(lambda e: e["event"] == "change_cb_chain")
    assert passed and (passed["leaving"], passed["following"]) == (str(0x4711), str(0x4712))
    # The agent's next viewer leaves, naming the second watcher: the agent
    # repairs its link and tells nobody.
    desktop.probe("message", "--hwnd", agent_hwnd, "--msg", WM_CHANGECBCHAIN,
                  "--wparam", watch.hwnd, "--lparam", second.hwnd)
    watch.settle()
    assert len([e for e in watch.poll() if e["event"] == "change_cb_chain"]) == 1
    counts = len(seen(watch)), len(seen(second))
    assert_reply(desktop.send("--code", 7, "--sequence", 99), 8)
    second.settle(1.0)
    assert len(seen(watch)) == counts[0] and len(seen(second)) > counts[1], \
        "notifications go to the second watcher, no longer to the one that left"
    agent.quit()
    watch.stop()
    second.stop()


def test_a_next_viewer_killed_without_leaving_the_chain_leaves_the_agent_serving(desktop):
    watch, agent = watcher_then_agent(desktop)
    watch.process.kill()
    watch.process.wait(timeout=15)
    for sequence in range(10, 20):
        assert_reply(desktop.send("--code", 7, "--sequence", sequence), 8)
    agent.quit()
