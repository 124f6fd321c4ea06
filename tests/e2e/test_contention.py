"""Exactly one agent whatever the timing of its starts, and no request or
reply lost to a program that holds the clipboard for a moment."""
import time
from pathlib import Path

import pytest

from conftest import CLASS_FIRST, Agent


def test_three_agents_started_at_once_leave_exactly_one(desktop):
    running = []
    for _ in range(10):
        agents = running + [Agent(desktop) for _ in range(3)]
        end = time.time() + 30
        while sum(a.process.poll() is None for a in agents) > 1 and time.time() < end:
            time.sleep(0.1)
        running = [a for a in agents if a.process.poll() is None]
        assert len(running) == 1 and desktop.wait_presence(timeout=10), f"{len(running)} run"
        windows = desktop.desk("window-info", "--class", CLASS_FIRST, "--all")[1][0]["windows"]
        assert len(windows) == 1


@pytest.mark.shared_agent
@pytest.mark.parametrize("holder_joins, hold, count, lost, holds", [
    ("after", ["--ms", 20], 30, 0, 29),   # first in the chain: the probe's reads meet it held
    ("before", ["--ms", 20], 30, 0, 30),  # between probe and agent: the agent's capture does
    ("before", ["--once-ms", 2000], 3, 1, 1),  # held too long once: that one reply is lost
])
def test_a_clipboard_held_for_a_moment_loses_no_reply(desktop, shared_agent, holder_joins, hold,
                                                      count, lost, holds, tmp_path):
    resume = tmp_path / "hold"
    mark, end = Path(f"{resume}.mark"), Path(f"{resume}.end")
    end.touch()
    start_holder = lambda: desktop.start_desk("hold", *hold)  # noqa: E731
    holder = start_holder() if holder_joins == "before" else None
    assert not holder or holder.wait_for(lambda e: e["event"] == "ready")
    batch = desktop.start_desk("batch", "--count", count, "--mark", 1, "--resume-file",
                                desktop.windows_path(resume), "--timeout", 2500 if lost else 1000)
    assert batch.wait_for(lambda e: e["event"] == "mark", timeout=20)
    holder = holder or start_holder()
    assert holder.wait_for(lambda e: e["event"] == "ready")
    mark.touch()
    done = batch.wait_for(lambda e: e["event"] == "done", timeout=40)
    held = [e for e in holder.stop() if e["event"] == "held"]
    batch.stop()
    assert done and (done["answered"], done["lost"]) == (count - lost, lost)
    assert len(held) >= holds
    assert desktop.probe("presence")[0] == 0, "the agent answers after"
