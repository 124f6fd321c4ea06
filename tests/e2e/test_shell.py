"""The agent's start-up beside a running window of an agent class, and its
tray icon, menu and About box."""
import time

import pytest

from conftest import CLASS_FIRST, WM_DESTROY, Agent, assert_no_reply, assert_reply
from desktop.viewers import start_watch

WM_AGENT_TRAY, WM_KEYDOWN, WM_CHAR, WM_SYSCOMMAND, BM_CLICK = 0x401, 0x100, 0x102, 0x112, 0xF5
SC_CLOSE, VK_RETURN, VK_ESCAPE = 0xF060, 0x0D, 0x1B
WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK = 0x200, 0x201, 0x202, 0x203
WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK = 0x204, 0x205, 0x206
SS_TYPEMASK, SS_ICON = 0x1F, 0x3
ABOUT_TITLE, MENU_CLASS = "About Windows Agent", "#32768"
CLOSES = {"OK": ("--child-id", 1, "--msg", BM_CLICK),  # keys go to OK, which has the focus
          "enter": ("--child-id", 1, "--msg", WM_KEYDOWN, "--wparam", VK_RETURN),
          "escape": ("--child-id", 1, "--msg", WM_KEYDOWN, "--wparam", VK_ESCAPE),
          "close box": ("--msg", WM_SYSCOMMAND, "--wparam", SC_CLOSE)}


@pytest.mark.parametrize("class_name", ["Orvik Print Agent", CLASS_FIRST])
def test_every_start_tells_a_running_window_to_quit_and_a_stuck_agent_wins(desktop, class_name):
    """Stand-ins that ignore WM_DESTROY: an old print agent is told once per start and the
    new agent runs; one of our own class that stays makes the newcomer end without a window."""
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


@pytest.mark.parametrize("edition,product,closes", [
    (1, "Orvik Windows Agent V4.00", ("OK", "escape", "close box")),
    (2, "Quorvane Windows Agent V4.00", ("enter",))])
def test_a_double_click_opens_the_about_box(desktop, edition, product, closes):
    agent = Agent(desktop, edition=edition).wait_answering()
    for close in closes:
        agent.post(WM_AGENT_TRAY, 0, WM_LBUTTONDBLCLK)
        about = desktop.wait_window(title=ABOUT_TITLE)
        assert about, "no About box"
        statics = [c for c in about["children"] if c["class"].lower() == "static"]
        lines = [c["text"] for c in sorted(statics, key=lambda c: c["rect"][1])
                 if c["style"] & SS_TYPEMASK != SS_ICON]
        assert lines[0] == product and len(lines) == 4 and all(lines)
        assert len(statics) - len(lines) == 1, "one icon"
        assert [c["text"] for c in about["children"] if c["id"] == 1] == ["OK"]
        desktop.screenshot(f"about-edition{edition}.png")
        assert_reply(desktop.send("--code", 7), 8), "requests are served while the box is open"
        desktop.desk("message", "--title", ABOUT_TITLE, *CLOSES[close], "--post")
        assert not desktop.wait_window(500, title=ABOUT_TITLE), f"{close} left the About box open"


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
            assert_reply(desktop.send("--code", 7), 8), "requests are served under the menu"
        agent.post(WM_CHAR, ord(key))
        if key == "a":
            assert desktop.wait_window(title=ABOUT_TITLE), "&About did not open the About box"
            desktop.desk("message", "--title", ABOUT_TITLE, "--child-id", 1, "--msg", BM_CLICK)
            assert not desktop.wait_window(500, title=ABOUT_TITLE) and agent.process.poll() is None
    assert agent.exit_code() == 0, "&Quit ends the agent"
    before = len(watch.settle())
    assert_no_reply(desktop.send("--code", 7, "--timeout", 700))
    time.sleep(1.0)
    assert len(watch.poll()) > before, "the agent left the chain: its next viewer is told"
    watch.stop()


def test_the_tray_icon_comes_back_when_the_shell_starts_again(desktop):
    """Wine's shell never restarts by itself: orvdesk takes the icon out of the tray as a new
    shell would not know it, then broadcasts what a new shell sends. A modify that changes
    nothing succeeds only for an icon the tray holds. Windows 95 shares one GDI heap among
    all programs: the agent must hold no more GDI objects after the restarts than before."""
    counted = desktop.desk("gdi-objects", "--brushes", 10)[1][0]
    assert [counted[k]["total"] - counted["gdi_objects"]["total"]
            for k in ("with_brushes", "after_delete")] == [10, 0], "the count misses objects"
    Agent(desktop).wait_answering()
    gdi_objects = lambda: desktop.gdi_objects("--class", CLASS_FIRST)["total"]  # noqa: E731
    before = gdi_objects()
    tray = lambda action: desktop.desk("tray", action, "--class", CLASS_FIRST)[0] == 0  # noqa: E731
    for _ in range(3):
        assert tray("delete") and not tray("modify"), "the icon was not taken out"
        assert desktop.desk("taskbar-created")[0] == 0
        end = time.time() + 5
        while not tray("modify") and time.time() < end:
            time.sleep(0.1)
        assert tray("modify"), "the icon did not come back"
        assert_reply(desktop.send("--code", 7), 8)
    assert gdi_objects() == before, "GDI objects gained over three shell restarts"
