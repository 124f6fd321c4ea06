"""Round trips of the request codes, and the resident memory, of the agent
against the two-step echo agent (bench/echo), which answers the same codes
with replies of the same size after the same platform calls.

orvdesk's batch mode times each request from the write of the request
block to the reply's arrival. A reply later than LOST_AFTER_MS counts as
lost; percentiles are over the answered requests.
"""
import itertools
import time

from common import agent, echo, memory_kib, probe_json

CODES = ((7, "presence"), (1, "printer list"), (3, "spool name"), (11, "dialog result"))
COUNT = 1000
ROUNDS = 7
WARM_UP = 50
RESIDENT_COUNT = 10000
LOST_AFTER_MS = 200
sequences = itertools.count(1, 20000)


def batch(desktop, code, count):
    result = probe_json(desktop, "batch", "--count", count, "--code", code, "--timeout", LOST_AFTER_MS,
                        "--first-sequence", next(sequences))
    if result["lost"] or result["wrong_code"]:
        print(f"  code {code}: {result['lost']} lost, {result['wrong_code']} wrong of {count}")
    return result


def reply_sizes(desktop):
    return {code: probe_json(desktop, "send", "--code", code, "--sequence", next(sequences),
                             program="orvprobe")["reply"]["size"]
            for code, _ in CODES}


def serve(desktop, make, sizes):
    """One subject, started fresh: p50 and p99 of each code."""
    subject = make(desktop).wait_answering()
    sizes.append(reply_sizes(desktop))
    found = {}
    for code, _ in CODES:
        batch(desktop, code, WARM_UP)
        r = batch(desktop, code, COUNT)
        found[code] = (r["p50_ms"], r["p99_ms"], r["lost"])
    subject.end()
    return found


def measure(desktop, table):
    runs = {"agent": [], "echo": []}
    sizes = {"agent": [], "echo": []}
    for r in range(ROUNDS):
        order = (("agent", agent), ("echo", echo)) if r % 2 == 0 else (("echo", echo), ("agent", agent))
        for name, make in order:
            runs[name].append(serve(desktop, make, sizes[name]))
    if sizes["agent"][0] != sizes["echo"][0]:
        raise RuntimeError(f"reply sizes differ: agent {sizes['agent'][0]}, echo {sizes['echo'][0]}")
    for code, label in CODES:
        for i, level in ((0, "p50"), (1, "p99")):
            table.add(f"{label} (code {code}) {level}, {COUNT} requests", [run[code][i] for run in runs["agent"]],
                      "two-step echo", [run[code][i] for run in runs["echo"]], "ms",
                      target="<= 1.05" if level == "p50" else None)
    lost = sum(run[code][2] for name in runs for run in runs[name] for code, _ in CODES)
    table.notes.append(f"Round trips: reply sizes agent = echo = {sizes['agent'][0]} bytes by code; "
                       f"{lost} replies lost (later than {LOST_AFTER_MS} ms) in all rounds.")


def resident(desktop, table):
    """Private (anonymous resident) memory after start and after
    RESIDENT_COUNT requests of every code; one round, agent then echo."""
    found = {}
    for name, make in (("agent", agent), ("echo", echo)):
        subject = make(desktop).wait_answering()
        time.sleep(1)
        at_start = memory_kib(subject.pid)
        for code, _ in CODES:
            batch(desktop, code, RESIDENT_COUNT)
        found[name] = (at_start, memory_kib(subject.pid))
        subject.end()
    kinds = "+".join(str(c) for c, _ in CODES)
    table.add("private memory after start", [found["agent"][0] / 1024], "two-step echo",
              [found["echo"][0] / 1024], "MiB")
    table.add(f"private memory after {RESIDENT_COUNT} requests of each code ({kinds})",
              [found["agent"][1] / 1024], "two-step echo", [found["echo"][1] / 1024], "MiB")
