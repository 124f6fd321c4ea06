"""Other programs in the clipboard viewer chain on a bad day: a viewer ahead of the agent
killed, deaf or hung, one behind it killed or hung, and stray messages posted to it. Each time the
agent answers the next request within 2 s and 100 more at the speed of before, serves each
once (the spool names run on without a gap), and a viewer behind it goes on seeing each reply
once."""
import os
import signal
import time

import pytest

from conftest import Agent
from desktop.viewers import post_stray_messages, start_watch

REPLY_MAGIC = 0x88776644


def spool_batch(desktop, count, first_sequence, timeout=1000):
    """count spool-name requests in a row (orvdesk batch, a viewer that joins now); its summary."""
    code, objects, text = desktop.desk("batch", "--count", count, "--code", 3, "--first-sequence",
                                       first_sequence, "--timeout", timeout, timeout=300)
    assert objects and objects[-1]["event"] == "done", text[-2000:]
    return objects[-1]


def replies_seen(watch, first, count):
    """How often the watcher saw the reply to each sequence from first to first + count - 1."""
    seen = {s: 0 for s in range(first, first + count)}
    for e in watch.poll():
        block = e.get("format10") if e["event"] == "draw_clipboard" else None
        if block and block.get("magic") == REPLY_MAGIC and block.get("sequence") in seen:
            seen[block["sequence"]] += 1
    return seen


# What another program does, and where it stands: joined after the agent it is ahead of it
# (the system tells it first), joined before it stands behind it.
FAULTS = [
    ("killed ahead", "ahead", [], "kill"),
    ("deaf ahead", "ahead", ["--no-forward"], None),
    ("hung ahead", "ahead", [], "stop"),
    ("killed behind", "behind", [], "kill"),
    ("hung behind", "behind", [], "stop"),
    ("stray messages", None, [], "stray"),
]


@pytest.mark.parametrize("fault, place, watch_args, action", FAULTS, ids=[f[0] for f in FAULTS])
def test_the_agent_hears_the_editor_whatever_another_viewer_does(desktop, fault, place,
                                                                   watch_args, action):
    behind = start_watch(desktop, "watch", "--seconds", 300)
    other = start_watch(desktop, "watch", "--seconds", 300, *watch_args) if place == "behind" else None
    agent = Agent(desktop).wait_answering()
    try:
        before = spool_batch(desktop, 100, 1000)
        if place == "ahead":
            other = start_watch(desktop, "watch", "--seconds", 300, *watch_args)
        if action == "kill":
            other.process.kill()
            other.process.wait(timeout=15)
        elif action == "stop":
            os.kill(other.process.pid, signal.SIGSTOP)
        elif action == "stray":
            post_stray_messages(desktop, agent.window())
        first = spool_batch(desktop, 1, 2000, timeout=2000)
        after = spool_batch(desktop, 100, 3000)
        heard = replies_seen(behind, 3000, 100)
        assert first["answered"] == 1, f"{fault}: the first request was not answered within 2 s"
        assert (after["answered"], after["wrong_code"]) == (100, 0), after
        numbers = before["spool_numbers"] + first["spool_numbers"] + after["spool_numbers"]
        assert numbers == list(range(numbers[0], numbers[0] + 201)), f"{fault}: served twice or lost"
        assert after["p50_ms"] <= 2 * before["p50_ms"] + 2, (fault, before["p50_ms"], after["p50_ms"])
        if place != "behind":  # a broken viewer between them cuts the watcher off, not the agent
            assert set(heard.values()) == {1}, f"{fault}: the viewer behind heard {heard}"
        assert agent.process.poll() is None
    finally:
        if other and action == "stop":
            os.kill(other.process.pid, signal.SIGCONT)


@pytest.mark.parametrize("way_out", ["its own end", "Ctrl+C"])
def test_orvprobe_leaves_the_chain_on_its_way_out(desktop, way_out):
    """orvprobe waits as the chain's head; however it ends, the viewer it joined in front of is
    the head again (a viewer that ends without leaving leaves no head at all)."""
    behind = start_watch(desktop)
    probe = desktop.start_program(desktop.exe("orvprobe"), "send", "--code", 2, "--timeout",
                                  2000 if way_out == "its own end" else 60000)
    viewer = lambda: desktop.desk("clipboard-viewer")[1][0]["viewer"]  # noqa: E731
    end = time.time() + 20
    while viewer() == behind.hwnd and time.time() < end:
        time.sleep(0.1)
    assert viewer() != behind.hwnd, "orvprobe did not join the chain"
    if way_out == "Ctrl+C":
        os.kill(probe.pid, signal.SIGINT)  # Wine runs the console's Ctrl+C handlers
    probe.wait(timeout=30)
    assert viewer() == behind.hwnd
