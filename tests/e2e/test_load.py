"""Load: 10,000 presence checks in a row, and what they cost in memory,
compared with a minimal two-step echo agent on the same desktop."""
import subprocess
import time

from conftest import RAN, Agent
from desktop import BUILD, memory_kib

COUNT = 10000
MARK = 1000
ALLOWANCE_KIB = 64


def run_batch(desktop, pid, first_sequence):
    """Runs the batch; returns (summary, memory at the mark, memory at the end) in KiB."""
    resume = BUILD / "e2e" / f"resume-{time.time_ns()}"
    stream = desktop.start_probe("batch", "--count", COUNT, "--mark", MARK, "--first-sequence",
                                 first_sequence, "--resume-file", desktop.windows_path(resume))
    assert stream.wait_for(lambda e: e["event"] == "mark", timeout=120), "no mark"
    at_mark = memory_kib(pid)
    resume.with_suffix(".mark").touch()
    summary = stream.wait_for(lambda e: e["event"] == "done", timeout=300)
    assert summary, "the batch did not finish"
    at_end = memory_kib(pid)
    resume.with_suffix(".end").touch()
    stream.process.wait(timeout=30)
    for suffix in (".mark", ".end"):
        resume.with_suffix(suffix).unlink(missing_ok=True)
    return summary, at_mark, at_end


def test_ten_thousand_presence_checks_lose_nothing_and_leak_nothing(desktop):
    echo = desktop.start_program(desktop.exe("echo_two_step"))
    time.sleep(2)
    echo_summary, echo_mark, echo_end = run_batch(desktop, echo.pid, 1)
    assert echo_summary["lost"] == 0
    desktop.probe("message", "--class", "Orvik Echo Agent", "--msg", 2, "--post")
    echo.wait(timeout=15)

    agent = Agent(desktop).wait_answering()
    started = time.time()
    summary, at_mark, at_end = run_batch(desktop, agent.process.pid, 0x7FFFF000)
    took = time.time() - started
    assert summary["answered"] == COUNT and summary["lost"] == 0 and summary["wrong_code"] == 0
    growth, echo_growth = at_end - at_mark, echo_end - echo_mark
    RAN.append(f"load: {COUNT} presence checks in {took:.1f} s, p50 {summary['p50_ms']:.2f} ms, "
               f"p99 {summary['p99_ms']:.2f} ms; memory growth from check {MARK} to {COUNT}: "
               f"agent {growth} KiB, two-step echo {echo_growth} KiB")
    assert took < 60
    assert growth <= echo_growth + ALLOWANCE_KIB
    agent.quit()
