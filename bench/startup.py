"""Start-up: the time from starting a program (the Popen of `wine PROGRAM`)
to its first answered presence check.

Before the program starts, orvprobe joins the clipboard viewer chain and
writes one presence check without passing the notification down the chain
(--no-forward): an agent already running never sees it, and the new
program finds it when it joins the chain, as it finds any request waiting
there. The answer's arrival is the request's write time plus its round
trip, both on the wall clock.
"""
import itertools
import time

from common import OUT, agent, background_probe, echo, last_json

ROUNDS = 5
sequences = itertools.count(0x5700)


def first_answer(desktop, make, running=None):
    """Seconds from starting the program to its answer; running: an agent
    already answering, which the new one has to replace."""
    out = OUT / "startup-probe.out"
    probe = background_probe(desktop, out, "send", "--code", 7, "--sequence", next(sequences),
                             "--timeout", 30000, "--no-forward")
    deadline = time.time() + 30
    while "OrvProbe" not in str(desktop.desk("window-info", "--class", "OrvProbe")[1]):
        if time.time() > deadline:
            raise RuntimeError("orvprobe did not start")
        time.sleep(0.1)
    time.sleep(0.3)  # its request is written right after its window exists
    subject = make(desktop)
    probe.wait(timeout=60)
    result = last_json(out)
    if not result or not result["reply"] or result["sent_at"] > subject.started:
        raise RuntimeError(f"no start-up answer: {result}")
    if running is not None:
        running.process.wait(timeout=30)
    answered = result["sent_at"] + result["elapsed_ms"] / 1000
    return subject, answered - subject.started


def measure(desktop, table):
    fresh, replacing, echo_fresh = [], [], []
    for r in range(ROUNDS):
        runs = [("agent", fresh), ("replace", replacing), ("echo", echo_fresh)]
        for name, found in runs if r % 2 == 0 else reversed(runs):
            if name == "replace":
                old = agent(desktop).wait_answering()
                new, seconds = first_answer(desktop, agent, old)
            else:
                new, seconds = first_answer(desktop, agent if name == "agent" else echo)
            found.append(seconds * 1000)
            new.end()
    table.add("start-up to the first answer, fresh", fresh, "two-step echo, fresh", echo_fresh, "ms", 0)
    table.add("start-up to the first answer, replacing a running agent", replacing,
              "the agent's fresh start (limit)", fresh, "ms", 0)
    extra = [r - f for r, f in zip(replacing, fresh)]
    table.notes.append(f"Replacing a running agent costs {sorted(extra)[len(extra) // 2]:.0f} ms more than a "
                       "fresh start (median of the per-round differences): the old agent's ending.")

