"""Start-up and shutdown: one agent at a time, older ones replaced."""
import time

from conftest import CLASS_FIRST, CLASS_SECOND, Agent
from replies import assert_reply

WM_DESTROY = 2


def test_a_new_agent_replaces_a_running_one_of_the_same_edition(desktop):
    first = Agent(desktop).wait_answering()
    first_pid = first.window()["pid"]
    second = Agent(desktop).wait_answering()
    assert first.exit_code() == 0
    assert second.window()["pid"] != first_pid
    assert_reply(desktop.send("--code", 7), 8)
    second.quit()


def test_editions_replace_each_other(desktop):
    second_edition = Agent(desktop, edition=2).wait_answering()
    assert second_edition.window()["text"] == CLASS_SECOND
    first_edition = Agent(desktop, edition=1).wait_answering()
    assert second_edition.exit_code() == 0
    assert first_edition.window()["text"] == CLASS_FIRST
    again = Agent(desktop, edition=2).wait_answering()
    assert first_edition.exit_code() == 0
    assert_reply(desktop.send("--code", 7), 8)
    again.quit()


def test_every_start_tells_an_old_print_agent_to_quit(desktop):
    old = desktop.start_probe("window", "--class", "Orvik Print Agent", "--title", "old agent",
                              "--show", "hidden", "--seconds", 120)
    assert old.wait_for(lambda e: e["event"] == "ready")
    for _ in range(2):
        Agent(desktop).wait_answering()
    old.settle()
    destroys = [e for e in old.poll() if e["event"] == "message" and e["msg"] == WM_DESTROY]
    assert len(destroys) == 2, "one WM_DESTROY per agent start"
    old.stop()


def test_an_agent_that_does_not_quit_makes_the_new_one_end_after_the_wait(desktop):
    stuck = desktop.start_probe("window", "--class", CLASS_FIRST, "--title", "stuck agent",
                                "--show", "hidden", "--seconds", 120)
    assert stuck.wait_for(lambda e: e["event"] == "ready")
    started = time.time()
    newcomer = Agent(desktop)
    assert newcomer.exit_code(timeout=20) == 0
    assert 5 <= time.time() - started < 12, "the old agent is waited for 5 s, no longer"
    assert any(e["event"] == "message" and e["msg"] == WM_DESTROY for e in stuck.settle())
    assert desktop.send("--code", 7, "--timeout", 700)["reply"] is None, "the newcomer made no window"
    stuck.stop()
