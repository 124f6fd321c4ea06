"""Exactly one agent whatever the timing of its starts, and no request or
reply lost to a program that holds the clipboard for a moment."""
import subprocess
import sys
import time
from pathlib import Path

import pytest

from conftest import CLASS_FIRST, Agent
from desktop import BUILD


def the_one_left(desktop, agents, timeout=30):
    """Once at most one of the agents runs: exactly one does, and it answers."""
    end = time.time() + timeout
    while sum(a.process.poll() is None for a in agents) > 1 and time.time() < end:
        time.sleep(0.1)
    alive = [a for a in agents if a.process.poll() is None]
    assert len(alive) == 1, f"{len(alive)} agents run"
    assert desktop.wait_presence(timeout=10)
    return alive[0]


def assert_one_window(desktop):
    assert len(desktop.probe("window-info", "--class", CLASS_FIRST, "--all")[1][0]["windows"]) == 1


@pytest.mark.parametrize("busy_loops", [0, 2])
def test_an_agent_slow_to_end_is_replaced_every_time(desktop, busy_loops):
    load = [subprocess.Popen([sys.executable, "-c", "while True: pass"]) for _ in range(busy_loops)]
    try:
        with desktop.managed_windows():  # an agent takes about 1.5 s to end
            agents = [Agent(desktop).wait_answering()]
            for _ in range(10):
                agents.append(Agent(desktop))
                assert the_one_left(desktop, agents) is agents[-1], "the newest replaces the old"
            assert_one_window(desktop)
    finally:
        for p in load:
            p.kill()
            p.wait()


def test_three_agents_started_at_once_leave_exactly_one(desktop):
    running = []
    for _ in range(10):
        running = [the_one_left(desktop, running + [Agent(desktop) for _ in range(3)])]
        assert_one_window(desktop)


@pytest.mark.shared_agent
@pytest.mark.parametrize("holder_joins, hold, count, lost, holds", [
    ("after", ["--ms", 20], 30, 0, 29),   # first in the chain: the probe's reads meet it held
    ("before", ["--ms", 20], 30, 0, 30),  # between probe and agent: the agent's capture does
    ("before", ["--once-ms", 2000], 3, 1, 1),  # held too long once: that one reply is lost
])
def test_a_clipboard_held_for_a_moment_loses_no_reply(desktop, shared_agent, holder_joins, hold,
                                                      count, lost, holds):
    resume = BUILD / "e2e" / f"hold-{time.time_ns()}"
    mark, end = Path(f"{resume}.mark"), Path(f"{resume}.end")
    end.touch()
    start_holder = lambda: desktop.start_probe("hold", *hold)  # noqa: E731
    holder = start_holder() if holder_joins == "before" else None
    assert not holder or holder.wait_for(lambda e: e["event"] == "ready")
    batch = desktop.start_probe("batch", "--count", count, "--mark", 1, "--resume-file",
                                desktop.windows_path(resume), "--timeout", 2500 if lost else 1000)
    assert batch.wait_for(lambda e: e["event"] == "mark", timeout=20)
    holder = holder or start_holder()
    assert holder.wait_for(lambda e: e["event"] == "ready")
    mark.touch()
    done = batch.wait_for(lambda e: e["event"] == "done", timeout=40)
    held = [e for e in holder.stop() if e["event"] == "held"]
    batch.stop()
    for path in (mark, end):
        path.unlink()
    assert done and (done["answered"], done["lost"]) == (count - lost, lost)
    assert len(held) >= holds
    assert desktop.probe("presence")[0] == 0, "the agent answers after"
