#!/usr/bin/env python3
"""Soak: one agent through rounds of every kind of event it serves, and
what it holds afterwards.

- GDI objects: Windows 95 shares one 64 KB GDI heap among all programs, so
  a resident agent must hold no more objects after a day than after its
  start. Counted with `orvdesk gdi-objects` (the process's GDI handle
  table; stock objects included, they never change).
- Private memory (RssAnon): Wine keeps about 1 KiB of every published
  clipboard block in the process that owns it, and about as much each time
  a notification makes that process read its own block back, so the
  agent's memory grows with its replies and the notifications it gets
  whatever it does itself. The two-step echo (bench/echo) is given, round
  by round, as many replies as the agent gave and the same bursts of stray
  notifications: the echo's growth is Wine's share.

A warm-up round comes first (it loads the printer driver, the common
dialog and what they keep for good), then the counts, then ROUNDS rounds, with
the counts taken after every event. Runs inside `make bench`, or alone:
`make soak` (or ORV_BUILD=... python3 bench/soak.py).
"""
import itertools
import os
import signal
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from common import OUT, CLASS_FIRST, Table, agent, echo, machine, memory_kib, probe_json  # noqa: E402
from desktop import Desktop, printserver  # noqa: E402
from desktop.viewers import post_messages, post_stray_messages, start_watch, stray_notifications  # noqa: E402
from printing import Jobs, make_text  # noqa: E402

ROUNDS = 10
BATCH = 100  # requests of each simple code per round
CHECKS_AFTER_FAULT = 5  # presence checks after each chain fault
OPEN_TITLE, ERROR_TITLE = "Open File:", "ERROR"
WM_COMMAND, IDCANCEL, PENDING = 0x0111, 2, 1
sequences = itertools.count(0x60000000, 1000)


class Soak:
    """What the events need: the desktop, the print server and its jobs, the
    file printed and the console window stand-in the file dialog goes over."""

    def __init__(self, desktop, server):
        self.desktop, self.server = desktop, server
        self.agent_window = None  # orvdesk's window-info of the agent's window, once it runs
        self.stray_bursts = 0  # bursts of stray notifications posted to the agent, for the echo
        self.jobs = Jobs(server)
        self.text = OUT / "soak-text.txt"
        self.text.write_bytes(make_text(2048))

    def send(self, code, *args):
        result = self.desktop.send("--code", code, "--sequence", next(sequences), *args)
        if not result["reply"] or result["reply"]["code"] != code + 1:
            raise RuntimeError(f"request {code}: {result}")
        return result["reply"]


# Each event returns the number of replies the agent published for it.
def requests(code):
    def event(soak):
        r = probe_json(soak.desktop, "batch", "--count", BATCH, "--code", code, "--timeout", 1000,
                       "--first-sequence", next(sequences))
        if r["lost"] or r["wrong_code"]:
            raise RuntimeError(f"code {code}: {r['lost']} lost, {r['wrong_code']} wrong of {BATCH}")
        return BATCH
    return event


def print_job(soak):
    """The editor's road (a spool name, the file copied there, the print
    request), one page, until the job is at the print server."""
    code, objects, text = soak.desktop.probe("print", soak.desktop.windows_path(soak.text),
                                             "--printer", soak.server.default, "--title", "soak")
    replies = [o["reply"]["code"] for o in objects if o.get("reply")]
    if code != 0 or 6 not in replies:
        raise RuntimeError("the print request was not served: " + text)
    soak.jobs.next_job(timeout=120)
    return len(replies)


def file_dialog(soak):
    """Opened over the console window stand-in, cancelled, then asked for
    with request 11 until it is no longer pending."""
    soak.send(9, "--hex", "0:01", "--str", "2:ORVIK", "--str", "18:C:\\")
    if not soak.desktop.wait_window(title=OPEN_TITLE):
        raise RuntimeError("the file dialog did not open")
    soak.desktop.desk("message", "--title", OPEN_TITLE, "--msg", WM_COMMAND, "--wparam", IDCANCEL, "--post")
    replies, end = 1, time.time() + 10
    while time.time() < end:
        replies += 1
        if soak.send(11)["decoded"]["dialog_state"] != PENDING:
            return replies
        time.sleep(0.1)
    raise RuntimeError("the file dialog is still pending")


def help_request(soak):
    """Request 13: the Help viewer finds no help file beside the agent and
    shows its ERROR box, which holds the agent in WinHelpA until answered."""
    soak.send(13)
    box = soak.desktop.wait_window(10000, title=ERROR_TITLE)
    if not box:
        raise RuntimeError("the Help viewer showed no ERROR box")
    soak.desktop.click(box, "No", "OK")
    if soak.desktop.wait_window(300, title=ERROR_TITLE):
        raise RuntimeError("the ERROR box stays")
    soak.send(7)  # answered once WinHelpA has returned
    return 2


def shell_restart(soak):
    """The icon taken out of the tray and "TaskbarCreated" broadcast, until
    the agent has added its icon again."""
    tray = lambda action: soak.desktop.desk("tray", action, "--class", CLASS_FIRST)[0] == 0  # noqa: E731
    if not tray("delete") or soak.desktop.desk("taskbar-created")[0] != 0:
        raise RuntimeError("the shell restart could not be played")
    end = time.time() + 10
    while not tray("modify"):
        if time.time() > end:
            raise RuntimeError("the tray icon did not come back")
        time.sleep(0.1)
    return 0


def answered_after(soak, fault):
    """Presence checks right after a fault in the viewer chain, each answered within 2 s: the
    agent's chain check finds a request that no notification brought within about 1.2 s."""
    r = probe_json(soak.desktop, "batch", "--count", CHECKS_AFTER_FAULT, "--code", 7, "--timeout", 2000,
                   "--first-sequence", next(sequences))
    if r["lost"] or r["wrong_code"]:
        raise RuntimeError(f"after {fault}: {r['lost']} lost, {r['wrong_code']} wrong of {CHECKS_AFTER_FAULT}")
    return CHECKS_AFTER_FAULT


def chain_faults(soak):
    """Viewers that join the chain ahead of the agent: one killed, one deaf (it never passes
    a notification on) and one hung, then stray messages posted to the agent; presence
    checks after each. The deaf viewer stays until the end, then leaves the chain in order."""
    desktop, replies = soak.desktop, 0
    killed = start_watch(desktop, "watch", "--seconds", 300)
    killed.process.kill()
    killed.stop()
    replies += answered_after(soak, "a viewer killed")
    deaf = start_watch(desktop, "watch", "--seconds", 300, "--no-forward")
    replies += answered_after(soak, "a deaf viewer")
    hung = start_watch(desktop, "watch", "--seconds", 300)
    os.kill(hung.process.pid, signal.SIGSTOP)
    replies += answered_after(soak, "a hung viewer")
    os.kill(hung.process.pid, signal.SIGCONT)
    hung.process.kill()
    hung.stop()
    replies += answered_after(soak, "the hung viewer ended")
    post_stray_messages(desktop, soak.agent_window)
    soak.stray_bursts += 1
    replies += answered_after(soak, "stray messages")
    deaf.stop()
    return replies + answered_after(soak, "the deaf viewer gone")


EVENTS = (("presence (code 7)", requests(7)), ("printer list (code 1)", requests(1)),
          ("spool name (code 3)", requests(3)), ("dialog result (code 11)", requests(11)),
          ("print job, 1 page", print_job), ("file dialog, cancelled", file_dialog),
          ("help (code 13)", help_request), ("shell restart", shell_restart),
          ("chain faults", chain_faults))


def agent_rounds(soak):
    """(GDI objects, KiB) at the start and after every event of the warm-up
    round and of the rounds that follow; the replies and the bursts of stray
    notifications of each round."""
    subject = agent(soak.desktop).wait_answering()
    soak.agent_window = subject.window()
    console = start_watch(soak.desktop, "window", "--seconds", 3600)
    sample = lambda: (soak.desktop.gdi_objects("--class", CLASS_FIRST)["total"],  # noqa: E731
                      memory_kib(subject.pid))
    samples, replies, bursts = [sample()], [], []
    for _ in range(1 + ROUNDS):
        replies.append(0)
        bursts_before = soak.stray_bursts
        for _, event in EVENTS:
            replies[-1] += event(soak)
            samples.append(sample())
        bursts.append(soak.stray_bursts - bursts_before)
    subject.end()
    console.stop()
    return samples, replies, bursts


def echo_rounds(desktop, replies, bursts):
    """The echo's memory after as many replies and stray notifications as the
    agent's warm-up round had, then after each round of as many as the
    agent's round. (Not the stray agent messages: the echo has none of the
    agent's messages, and they cost the agent nothing.)"""
    subject = echo(desktop).wait_answering()
    window = subject.window()
    kib = []
    for n, b in zip(replies, bursts):
        for _ in range(b):
            post_messages(desktop, window, stray_notifications())
        probe_json(desktop, "batch", "--count", n, "--code", 7, "--timeout", 1000,
                   "--first-sequence", next(sequences))
        kib.append(memory_kib(subject.pid))
    subject.end()
    return kib


def by_kind(samples, field):
    """The change of the field (0 objects, 1 KiB) that each kind of event
    made, summed over the rounds of the samples."""
    steps = [b[field] - a[field] for a, b in zip(samples, samples[1:])]
    return [sum(steps[k::len(EVENTS)]) for k in range(len(EVENTS))]


def measure(desktop, server, table):
    server.lp("cupsdisable", server.default)  # jobs stay at the server, unconverted
    try:
        samples, replies, bursts = agent_rounds(Soak(desktop, server))
    finally:
        server.lp("cancel", "-a", server.default, check=False)
        server.lp("cupsenable", server.default)
    echo_kib = echo_rounds(desktop, replies, bursts)
    warm_up, rounds = samples[:len(EVENTS) + 1], samples[len(EVENTS):]
    (gdi_start, kib_start), (gdi_end, kib_end) = rounds[0], rounds[-1]
    ends = rounds[::len(EVENTS)]  # after the warm-up round and after each round
    growth = [b[1] - a[1] for a, b in zip(ends, ends[1:])]
    echo_growth = [b - a for a, b in zip(echo_kib, echo_kib[1:])]
    agent_total, echo_total = kib_end - kib_start, echo_kib[-1] - echo_kib[0]
    table.add(f"soak: GDI objects after {ROUNDS} rounds of every event", [gdi_end], "after the warm-up round",
              [gdi_start], "", 0, target="<= 1 (0 more)")
    table.add(f"soak: private memory after {ROUNDS} rounds", [kib_end / 1024], "after the warm-up round",
              [kib_start / 1024], "MiB")
    peer = "two-step echo, as many replies and strays"
    table.add("soak: private memory growth per round", growth, peer, echo_growth, "KiB", 0)
    table.add(f"soak: private memory growth over {ROUNDS} rounds", [agent_total], peer, [echo_total], "KiB", 0,
              target="<= 1.1")
    names = [name for name, _ in EVENTS]
    table.notes.append(
        f"Soak: GDI objects {warm_up[0][0]} at the agent's start, {gdi_start} after the warm-up round (" +
        ", ".join(f"{n} {d:+d}" for n, d in zip(names, by_kind(warm_up, 0)) if d) +
        f"), {gdi_end} after {ROUNDS} rounds ({gdi_end - gdi_start:+d}). {sum(replies[1:])} replies in the "
        f"rounds ({replies[1]} a round) and {sum(bursts[1:])} bursts of {len(stray_notifications())} stray "
        f"notifications; the echo, given the same, grew {echo_total} KiB, the agent {agent_total} KiB "
        f"({agent_total - echo_total:+d} KiB) over the {ROUNDS} rounds.")
    table.notes.append(f"Soak by kind of event, summed over the {ROUNDS} rounds: " + "; ".join(
        f"{n} {g:+d} objects, {m:+d} KiB" for n, g, m in zip(names, by_kind(rounds, 0), by_kind(rounds, 1))) + ".")


def main():
    """The soak alone, its table printed and written to build/bench-results/soak.md."""
    os.sched_setaffinity(0, {0})  # as in make bench
    OUT.mkdir(parents=True, exist_ok=True)
    table, started = Table(), time.time()
    desktop = Desktop().start()
    server = printserver.start(desktop)
    try:
        about = machine(desktop)
        measure(desktop, server, table)
    finally:
        server.stop()
        desktop.stop()
    report = f"{about}\nThe soak alone: {time.time() - started:.0f} s.\n\n{table.text()}\n"
    (OUT / "soak.md").write_text(report)
    print("\n" + report)


if __name__ == "__main__":
    main()
