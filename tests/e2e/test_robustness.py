"""10,000 presence checks in a row, and over 300 malformed objects made by a generator:
each is answered as the rules say or not at all, a presence check after each is answered,
and the agent grows no more than a minimal two-step echo agent over as many replies."""
import itertools
import random
import struct
import time

from conftest import Agent
from desktop import RUN, memory_kib

ALLOWANCE_KIB = 64
MAGIC = 0x88776655
REPLY_TO = {1: 2, 3: 4, 5: 99, 7: 8, 9: 99, 11: 12, 13: 14}  # 5 and 9 can only fail here
# Strings at payload 28: printer at 0, file at 16, document at 30.
PRINT = bytes(22) + struct.pack("<hhh", 0, 16, 30) + b"No Such Printer\0C:\\nofile.txt\0Doc\0"
DIALOG = b"\1\0" + b"ORVIK".ljust(16, b"\0") + b"C:\\DOCS\\NOTE.TXT\0"
PAYLOADS = {5: (PRINT, (22, 24, 26, 28, 44, 58)), 9: (DIALOG, (1, 2, 18))}
SEQUENCES = itertools.count(1)


def block(code, payload=b"", block_size=0, size=64):
    head = struct.pack("<IHhIh", MAGIC, 0, block_size, next(SEQUENCES), code) + bytes(12)
    return (head + payload).ljust(size, b"\0")[:size]


def hostile_objects(rnd):
    for code in REPLY_TO:
        payload, marks = PAYLOADS.get(code, (b"", ()))
        full = block(code, payload)
        for cut in (4, 6, 8, 12, 14, 26, 32, 33, *(26 + m for m in marks), len(full) - 1):
            yield full[:cut]
        for block_size in (0, 0x7FFF, -0x8000, -1):
            yield block(code, payload, block_size)
        yield block(code, payload, size=65536)
        for _ in range(3 if code == 13 else 30):  # each 13 opens the Help viewer's box
            yield block(code, rnd.randbytes(rnd.randrange(7, 600)),
                        rnd.randrange(-0x8000, 0x8000), size=rnd.randrange(33, 700))
    for code in (0, 2, 4, 6, 8, 10, 12, 14, 15, 99, -1, 0x7FFF, -0x8000):
        yield block(code)
    # each name offset: before the block, into the header, 0, at and past the end
    for name, offset in itertools.product(range(3), (-0x8000, -54, -30, -1, 0, 34, 0x7FFF)):
        fields = list(struct.unpack("<hhh", PRINT[22:28]))
        fields[name] = offset
        yield block(5, PRINT[:22] + struct.pack("<hhh", *fields) + PRINT[28:], size=26 + len(PRINT))
    for end in (len(PRINT) - 1, 28 + 10, 28 + 20):  # a name without its NUL
        yield block(5, PRINT, size=26 + end)


def expected(obj):
    if len(obj) <= 32 or struct.unpack("<I", obj[:4])[0] != MAGIC:
        return None
    return REPLY_TO.get(struct.unpack("<h", obj[12:14])[0])


def batch(desktop, pid, count, mark=1000, first_sequence=1):
    """A presence batch; returns its summary and the memory growth (KiB) from mark to end."""
    resume = RUN / f"resume-{time.time_ns()}"
    stream = desktop.start_desk("batch", "--count", count, "--mark", mark, "--first-sequence",
                                 first_sequence, "--resume-file", desktop.windows_path(resume))
    assert stream.wait_for(lambda e: e["event"] == "mark", timeout=120), "no mark"
    at_mark = memory_kib(pid)
    resume.with_suffix(".mark").touch()
    summary = stream.wait_for(lambda e: e["event"] == "done", timeout=300)
    assert summary, "the batch did not finish"
    growth = memory_kib(pid) - at_mark
    resume.with_suffix(".end").touch()
    stream.process.wait(timeout=30)
    return summary, growth


def echo_growth(desktop, replies):
    echo = desktop.start_program(desktop.exe("echo_two_step"))
    time.sleep(2)
    summary, growth = batch(desktop, echo.pid, replies + 1000)
    assert summary["lost"] == 0
    return growth


def test_ten_thousand_presence_checks_lose_nothing_and_leak_nothing(desktop):
    agent = Agent(desktop).wait_answering()
    started = time.time()
    summary, growth = batch(desktop, agent.process.pid, 10000, first_sequence=0x7FFFF000)
    took = time.time() - started
    assert (summary["answered"], summary["lost"], summary["wrong_code"]) == (10000, 0, 0)
    agent.quit()
    echo = echo_growth(desktop, 9000)
    assert took < 60 and growth <= echo + ALLOWANCE_KIB, (took, growth, echo)


def test_hostile_objects_are_answered_as_the_rules_say_and_the_agent_serves_on(desktop):
    objects = list(hostile_objects(random.Random(1995)))
    requests = RUN / "hostile.hex"
    requests.write_text("".join(obj.hex() + "\n" for obj in objects))
    agent = Agent(desktop).wait_answering()
    desktop.desk("batch", "--count", 200)  # the agent's first replies settle its memory
    before = memory_kib(agent.process.pid)
    _, results, text = desktop.desk("replay", desktop.windows_path(requests), "--timeout", 300,
                                     timeout=900)
    growth = memory_kib(agent.process.pid) - before
    assert len(results) == len(objects) >= 300, text[-2000:]
    got = [r["reply"] and r["reply"]["code"] for r in results]
    wrong = [(o.hex()[:80], g, expected(o)) for o, g in zip(objects, got) if g != expected(o)]
    assert not wrong, f"{len(wrong)} answered against the rules, e.g. {wrong[:5]}"
    assert all(r["presence"] and r.get("help_box_answered", True) for r in results), \
        "a presence check after a hostile object went unanswered"
    assert agent.process.poll() is None
    agent.quit()
    echo = echo_growth(desktop, sum(map(bool, got)) + len(results))
    assert growth <= echo + ALLOWANCE_KIB, (growth, echo)
