"""Idle: what the agent costs while nothing happens on the desktop, against
the two-step echo (bench/echo), a bare agent that runs no timer.

The agent checks once a second that it still hears the clipboard viewer
chain. Each program is left alone for IDLE_SECONDS after it has
answered once and settled, and its CPU time over that window is read from
outside, two ways:
- utime + stime from /proc/PID/stat: the kernel's clock ticks (10 ms each
  here), as top and ps count; the figure is coarse;
- the threads' run time from /proc/PID/task/*/schedstat, in nanoseconds.
Its wake-ups (context switches of its threads) and the Wine server's run
time over the same window go beside them: every check is a few calls into
the Wine server, which does that work in its own process.

A traced pass (Wine's +clipboard, +globalmem and +heap channels) counts
what the agent does over one more idle window: clipboard opens and heap,
local and global allocations, which must be none, and the calls the check
makes. A presence check after the window is the control: it must show
opens and allocations, or the trace would prove nothing.
"""
import collections
import os
import re
import time
from pathlib import Path

from common import CLASS_FIRST, Program, agent, echo, memory_kib

ROUNDS = 5
IDLE_SECONDS = 30
SETTLE_SECONDS = 2  # after the first answer: the reply's notifications have gone round
TICK_MS = 1000 / os.sysconf("SC_CLK_TCK")
TRACE = ",+clipboard,+globalmem,+heap"
OPENS = re.compile(rb":trace:clipboard:NtUserOpenClipboard")
ALLOCATIONS = re.compile(rb":trace:(?:heap:Rtl(?:Re)?AllocateHeap|globalmem:(?:Global|Local)(?:Re)?Alloc flags)")
CALLS = re.compile(rb":trace:clipboard:(\w+)")


def usage(pid):
    """(CPU ms in clock ticks, run time ms, context switches) of a process's threads."""
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    ticks_ms = (int(fields[11]) + int(fields[12])) * TICK_MS  # utime, stime
    run_ms, switches = 0.0, 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        run_ms += int((task / "schedstat").read_text().split()[0]) / 1e6
        for line in (task / "status").read_text().splitlines():
            if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                switches += int(line.split()[1])
    return ticks_ms, run_ms, switches


def wine_server(desktop):
    pids = desktop.pids("wineserver") + desktop.pids("wineserver64")
    if len(pids) != 1:
        raise RuntimeError(f"expected one Wine server, found {pids}")
    return pids[0]


def idle_window(desktop, make):
    """One program left idle: its CPU ms (ticks), run ms, wake-ups and private
    memory change, and the Wine server's run ms meanwhile."""
    subject = make(desktop).wait_answering()
    time.sleep(SETTLE_SECONDS)
    server = wine_server(desktop)
    before, server_before, kib_before = usage(subject.pid), usage(server), memory_kib(subject.pid)
    time.sleep(IDLE_SECONDS)
    after, server_after, kib_after = usage(subject.pid), usage(server), memory_kib(subject.pid)
    subject.end()
    ticks_ms, run_ms, switches = (b - a for a, b in zip(before, after))
    return ticks_ms, run_ms, switches, kib_after - kib_before, server_after[1] - server_before[1]


def traced_window(desktop):
    """What Wine's trace shows of the agent over an idle window and over a
    presence check after it: (opens, allocations, calls by name) of each."""
    env = dict(desktop.env, WINEDEBUG=desktop.env["WINEDEBUG"] + TRACE)
    subject = Program(desktop, desktop.exe("agent"), CLASS_FIRST, env=env).wait_answering()
    time.sleep(SETTLE_SECONDS)
    start = subject.process.log.stat().st_size
    time.sleep(IDLE_SECONDS)
    end = subject.process.log.stat().st_size
    if desktop.probe("presence")[0] != 0:
        raise RuntimeError("the traced agent did not answer the control's presence check")
    subject.end()
    text = subject.process.log.read_bytes()
    parts = (text[start:end], text[end:])
    return [(len(OPENS.findall(p)), len(ALLOCATIONS.findall(p)), collections.Counter(CALLS.findall(p)))
            for p in parts]


def measure(desktop, table):
    found = {"agent": [], "echo": []}
    for r in range(ROUNDS):
        order = (("agent", agent), ("echo", echo)) if r % 2 == 0 else (("echo", echo), ("agent", agent))
        for name, make in order:
            found[name].append(idle_window(desktop, make))
    column = lambda name, i: [run[i] for run in found[name]]  # noqa: E731
    window = f"idle {IDLE_SECONDS} s"
    table.add(f"{window}: CPU time (utime+stime, {TICK_MS:.0f} ms ticks)", column("agent", 0), "two-step echo",
              column("echo", 0), "ms", 0, target="<= the echo's")
    table.add(f"{window}: CPU run time of its threads (schedstat)", column("agent", 1), "two-step echo",
              column("echo", 1), "ms", 2, target="<= the echo's")
    table.add(f"{window}: wake-ups (context switches)", column("agent", 2), "two-step echo",
              column("echo", 2), "", 0)
    table.add(f"{window}: the Wine server's run time meanwhile", column("agent", 4), "two-step echo",
              column("echo", 4), "ms", 1)
    table.add(f"{window}: private memory change", column("agent", 3), "two-step echo",
              column("echo", 3), "KiB", 0)
    (opens, allocations, calls), (control_opens, control_allocations, _) = traced_window(desktop)
    if not control_opens or not control_allocations:
        raise RuntimeError(f"Wine's trace shows {control_opens} clipboard opens and {control_allocations} "
                           "allocations for a presence check: it can't tell the idle window's either")
    table.add(f"{window}: clipboard opens (Wine's trace)", [opens], "a presence check after it (control)",
              [control_opens], "", 0, target="0")
    table.add(f"{window}: heap, local and global allocations (Wine's trace)", [allocations],
              "a presence check after it (control)", [control_allocations], "", 0, target="0")
    table.notes.append(
        f"Idle: over the traced {IDLE_SECONDS} s the agent's only clipboard calls were " +
        ", ".join(f"{n.decode()} {c}" for n, c in sorted(calls.items())) +
        f" ({sum(calls.values()) / IDLE_SECONDS:.1f} a second); CPU time is the median of {ROUNDS} rounds, "
        "agent and echo alternating.")
