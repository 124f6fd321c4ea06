"""The agent's start-up (one agent at a time), its tray icon, menu and About box,
and the shipped programs without a C runtime."""
import re
import subprocess
import tempfile
import time

import pytest

from conftest import CLASS_FIRST, CLASS_SECOND, WM_DESTROY, Agent, assert_no_reply, assert_reply, start_watch

WM_AGENT_TRAY, WM_KEYDOWN, WM_CHAR, WM_SYSCOMMAND, BM_CLICK = 0x401, 0x100, 0x102, 0x112, 0xF5
SC_CLOSE, VK_RETURN, VK_ESCAPE = 0xF060, 0x0D, 0x1B
WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK = 0x200, 0x201, 0x202, 0x203
WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK = 0x204, 0x205, 0x206
SS_TYPEMASK, SS_ICON = 0x1F, 0x3
ABOUT_TITLE, MENU_CLASS = "About Windows Agent", "#32768"


def test_a_new_agent_of_either_edition_replaces_the_running_one(desktop):
    running = Agent(desktop, edition=2).wait_answering()
    for edition, class_name in [(1, CLASS_FIRST), (1, CLASS_FIRST), (2, CLASS_SECOND)]:
        old_pid = running.window()["pid"]
        new = Agent(desktop, edition=edition).wait_answering()
        assert running.exit_code() == 0
        assert new.window()["text"] == class_name and new.window()["pid"] != old_pid
        running = new
    assert_reply(desktop.send("--code", 7), 8)
    running.quit()


@pytest.mark.parametrize("class_name", ["Orvik Print Agent", CLASS_FIRST])
def test_every_start_tells_a_running_window_to_quit_and_a_stuck_agent_wins(desktop, class_name):
    """Stand-ins that ignore WM_DESTROY: an old print agent is told once per
    start and the new agent runs; an agent of our own class that stays makes
    the newcomer end without a window."""
    stuck = start_watch(desktop, "window", "--class", class_name, "--title", "stuck",
                        "--show", "hidden", "--seconds", 120)
    for _ in range(2):
        started, newcomer = time.time(), Agent(desktop)
        if class_name == CLASS_FIRST:
            assert newcomer.exit_code(timeout=20) == 0
            assert 5 <= time.time() - started < 12, "the old agent is waited for 5 s, no longer"
            assert_no_reply(desktop.send("--code", 7, "--timeout", 700))
        else:
            newcomer.wait_answering()
    destroys = [e for e in stuck.settle() if e["event"] == "message" and e["msg"] == WM_DESTROY]
    assert len(destroys) == 2, "one WM_DESTROY per start"
    stuck.stop()


@pytest.mark.parametrize("edition,product,close", [
    (1, "Orvik Windows Agent V4.00", "OK"), (2, "Quorvane Windows Agent V4.00", "enter"),
    (1, "Orvik Windows Agent V4.00", "escape"), (1, "Orvik Windows Agent V4.00", "close box")])
def test_a_double_click_opens_the_about_box(desktop, edition, product, close):
    agent = Agent(desktop, edition=edition).wait_answering()
    agent.post(WM_AGENT_TRAY, 0, WM_LBUTTONDBLCLK)
    about = desktop.wait_window(title=ABOUT_TITLE)
    assert about, "no About box"
    statics = [c for c in about["children"] if c["class"].lower() == "static"]
    lines = [c["text"] for c in sorted(statics, key=lambda c: c["rect"][1])
             if c["style"] & SS_TYPEMASK != SS_ICON]
    assert lines[0] == product and len(lines) == 4 and all(lines)
    assert len([c for c in statics if c["style"] & SS_TYPEMASK == SS_ICON]) == 1
    assert [c["text"] for c in about["children"] if c["id"] == 1] == ["OK"]
    desktop.screenshot(f"about-edition{edition}.png")
    assert_reply(desktop.send("--code", 7), 8), "requests are served while the box is open"
    if close == "OK":
        desktop.probe("message", "--title", ABOUT_TITLE, "--child-id", 1, "--msg", BM_CLICK)
    elif close == "close box":
        desktop.probe("message", "--title", ABOUT_TITLE, "--msg", WM_SYSCOMMAND, "--wparam", SC_CLOSE,
                      "--post")
    else:  # keys go to the OK button, which has the focus
        desktop.probe("message", "--title", ABOUT_TITLE, "--child-id", 1, "--msg", WM_KEYDOWN,
                      "--wparam", VK_RETURN if close == "enter" else VK_ESCAPE, "--post")
    assert not desktop.wait_window(500, title=ABOUT_TITLE), f"{close} did not close the About box"
    agent.quit()


def test_the_tray_menu_opens_about_and_quits(desktop):
    watch = start_watch(desktop)
    agent = Agent(desktop).wait_answering()
    for mouse in (WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK):
        agent.post(WM_AGENT_TRAY, 0, mouse)
    assert not desktop.wait_window(800, title=ABOUT_TITLE), "other mouse messages do nothing"
    assert not desktop.wait_window(300, class_=MENU_CLASS)

    for key in ("a", "q"):
        agent.post(WM_AGENT_TRAY, 0, WM_RBUTTONUP)
        assert desktop.wait_window(class_=MENU_CLASS), "the tray menu did not open"
        if key == "a":
            desktop.screenshot("tray-menu.png")
            assert_reply(desktop.send("--code", 7), 8), "requests are served while the menu is open"
        agent.post(WM_CHAR, ord(key))
        if key == "a":
            assert desktop.wait_window(title=ABOUT_TITLE), "&About did not open the About box"
            desktop.probe("message", "--title", ABOUT_TITLE, "--child-id", 1, "--msg", BM_CLICK)
            assert not desktop.wait_window(500, title=ABOUT_TITLE) and agent.process.poll() is None
    assert agent.exit_code() == 0, "&Quit ends the agent"
    watch.settle()
    before = len(watch.poll())
    assert_no_reply(desktop.send("--code", 7, "--timeout", 700))
    time.sleep(1.0)
    assert len(watch.poll()) > before, "the agent left the chain: notifications reach its next viewer"
    watch.stop()


@pytest.mark.parametrize("program,own_runtime", [("agent", False), ("setup", False), ("orvprobe", True)])
def test_the_shipped_programs_need_no_c_runtime(desktop, program, own_runtime):
    """With msvcrt.dll kept from loading, Wine's loader names every module that
    needs it. Wine's own system DLLs do, so nothing starts; of ours only orvprobe,
    which keeps its C runtime, is named."""
    env = dict(desktop.env, WINEDLLOVERRIDES=desktop.env["WINEDLLOVERRIDES"] + ";msvcrt=d",
               WINEDEBUG="err+module")
    with tempfile.TemporaryFile("w+") as log:
        subprocess.run([desktop.wine, str(desktop.exe(program))], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=log, timeout=60)
        log.seek(0)
        needers = set(re.findall(r'Library msvcrt.dll \(which is needed by L"(.*?)"\)', log.read()))
    assert needers, "the loader named no module that needs msvcrt.dll"
    assert any(desktop.exe(program).name.lower() in n.lower() for n in needers) == own_runtime, needers
