"""Start-up: the time from starting a program (the Popen of `wine PROGRAM`)
to its first answered presence check.

Fresh (no agent runs): before the program starts, orvprobe joins the
clipboard viewer chain and writes one presence check without passing the
notification down the chain (--no-forward). Nothing else could answer it;
the new program finds it when it joins the chain, as it finds any request
waiting there.

Replacing a running agent: a request waiting in the clipboard is no longer
invisible to a running agent (its chain check serves one that no
notification brought within about 1.2 s), so the old agent could answer
it before the new one has even started. Instead `orvdesk batch
--after-window-gone OLD` joins the chain before the new agent starts and
writes the presence check within a millisecond or two of the old agent's
window's end. An agent without its window can't take a request, and the
new agent makes its own window only after the old one's process has ended,
so the request is there first and waits for it. The batch also names the
window that published the reply; it must be the new agent's.

The answer's arrival is the request's write time plus its round trip, both
on the wall clock.
"""
import itertools
import statistics
import time

from common import OUT, agent, background_probe, echo, last_json

ROUNDS = 5
sequences = itertools.count(0x5700)


def fresh_answer(desktop, make):
    """Seconds from starting the program, with no agent running, to its answer."""
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
    answered = result["sent_at"] + result["elapsed_ms"] / 1000
    return subject, answered - subject.started


def replacing_answer(desktop):
    """Seconds from starting an agent while another runs to the new one's
    answer, and from that start to the request's write."""
    old = agent(desktop).wait_answering()
    old_window = old.window()["hwnd"]
    batch = desktop.start_desk("batch", "--count", 1, "--code", 7, "--first-sequence", next(sequences),
                               "--timeout", 30000, "--after-window-gone", old_window)
    if not batch.wait_for(lambda e: e["event"] == "waiting", timeout=30):
        raise RuntimeError("orvdesk batch did not start waiting")
    subject = agent(desktop)
    done = batch.wait_for(lambda e: e["event"] == "done", timeout=60)
    batch.stop()
    old.process.wait(timeout=30)
    if not done or done["answered"] != 1:
        raise RuntimeError(f"no start-up answer: {done}")
    new_window = subject.window()["hwnd"]
    if done["first_reply_owner"] != new_window or new_window == old_window:
        raise RuntimeError(f"the reply came from window {done['first_reply_owner']}, not the new agent's "
                           f"{new_window} (the old agent's was {old_window})")
    answered = done["first_sent_at"] + done["first_ms"] / 1000
    return subject, answered - subject.started, done["first_sent_at"] - subject.started


def measure(desktop, table):
    fresh, replacing, echo_fresh, written = [], [], [], []
    for r in range(ROUNDS):
        runs = [("agent", fresh), ("replace", replacing), ("echo", echo_fresh)]
        for name, found in runs if r % 2 == 0 else reversed(runs):
            if name == "replace":
                new, seconds, write = replacing_answer(desktop)
                written.append(write * 1000)
            else:
                new, seconds = fresh_answer(desktop, agent if name == "agent" else echo)
            found.append(seconds * 1000)
            new.end()
    table.add("start-up to the first answer, fresh", fresh, "two-step echo, fresh", echo_fresh, "ms", 0)
    table.add("start-up to the first answer, replacing a running agent", replacing,
              "the agent's fresh start (limit)", fresh, "ms", 0)
    extra = statistics.median(r - f for r, f in zip(replacing, fresh))
    waited = statistics.median(r - w for r, w in zip(replacing, written))
    table.notes.append(
        f"Replacing a running agent costs {extra:.0f} ms more than a fresh start (median of the per-round "
        f"differences): the old agent's ending. The request was written {statistics.median(written):.0f} ms "
        f"after the new agent's start, when the old agent's window had gone, and answered {waited:.0f} ms "
        "later (medians), each time by the new agent's window.")
