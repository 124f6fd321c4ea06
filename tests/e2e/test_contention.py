"""Exactly one agent whatever the timing of its starts, and no request or
reply lost to a program that holds the clipboard for a moment."""
import subprocess
import sys
import time

import pytest

from conftest import CLASS_FIRST, Agent, end_all_programs
from desktop import BUILD

X11_KEY = r"HKCU\Software\Wine\X11 Driver"


def the_one_left(desktop, agents, timeout=30):
    """Waits until at most one of the agents runs; asserts that exactly one
    does and that an agent answers."""
    end = time.time() + timeout
    while sum(a.process.poll() is None for a in agents) > 1 and time.time() < end:
        time.sleep(0.1)
    alive = [a for a in agents if a.process.poll() is None]
    assert len(alive) == 1, f"{len(alive)} agents run"
    assert desktop.wait_presence(timeout=10)
    return alive[0]


def agent_windows(desktop):
    return desktop.probe("window-info", "--class", CLASS_FIRST, "--all")[1][0]["windows"]


@pytest.mark.parametrize("busy_loops", [0, 2])
def test_an_agent_slow_to_end_is_replaced_every_time(desktop, busy_loops):
    # Wine's default managed windows with no window manager: an agent takes
    # about 1.5 s to end after WM_DESTROY.
    desktop.tool("reg", "delete", X11_KEY, "/v", "Managed", "/f")
    end_all_programs(desktop)
    load = [subprocess.Popen([sys.executable, "-c", "while True: pass"]) for _ in range(busy_loops)]
    try:
        agents = [Agent(desktop).wait_answering()]
        for _ in range(10):
            agents.append(Agent(desktop))
            assert the_one_left(desktop, agents) is agents[-1], "the newest agent replaces the old"
        assert len(agent_windows(desktop)) == 1
    finally:
        for p in load:
            p.kill()
            p.wait()
        desktop.reg_add(X11_KEY, "Managed", "N")


def test_three_agents_started_at_once_leave_exactly_one(desktop):
    running = []
    for _ in range(10):
        running = [the_one_left(desktop, running + [Agent(desktop) for _ in range(3)])]
        assert len(agent_windows(desktop)) == 1


@pytest.mark.shared_agent
@pytest.mark.parametrize("holder_joins, hold, count, lost, holds", [
    ("after the probe", ["--ms", 20], 30, 0, 29),   # the probe's reads meet it held
    ("before the probe", ["--ms", 20], 30, 0, 30),  # the agent's capture meets it held
    ("before the probe", ["--once-ms", 2000], 3, 1, 1),  # held too long once: one reply lost
])
def test_a_clipboard_held_for_a_moment_loses_no_reply(desktop, shared_agent, holder_joins, hold,
                                                      count, lost, holds):
    resume = BUILD / "e2e" / f"hold-{time.time_ns()}"
    (resume.parent / (resume.name + ".end")).touch()
    start_holder = lambda: desktop.start_probe("hold", *hold)  # noqa: E731
    holder = start_holder() if holder_joins == "before the probe" else None
    timeout = 2500 if lost else 1000  # a lost reply's wait outlasts the long hold
    batch = desktop.start_probe("batch", "--count", count, "--mark", 1, "--timeout", timeout,
                                "--resume-file", desktop.windows_path(resume))
    assert batch.wait_for(lambda e: e["event"] == "mark", timeout=20)
    holder = holder or start_holder()  # joining last, it is the first viewer of the chain
    assert holder.wait_for(lambda e: e["event"] == "ready")
    (resume.parent / (resume.name + ".mark")).touch()
    done = batch.wait_for(lambda e: e["event"] == "done", timeout=40)
    held = [e for e in holder.stop() if e["event"] == "held"]
    batch.stop()
    for suffix in (".mark", ".end"):
        (resume.parent / (resume.name + suffix)).unlink()
    assert done, "the probe did not finish its requests"
    assert (done["answered"], done["lost"]) == (count - lost, lost)
    assert len(held) >= holds
    assert desktop.probe("presence")[0] == 0, "the agent answers after"
