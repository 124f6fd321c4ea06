"""The tray icon's callback, its menu and the About box."""
import pytest

from conftest import CLASS_FIRST, CLASS_SECOND, Agent
from replies import assert_reply

WM_AGENT_TRAY = 0x401
WM_KEYDOWN, WM_CHAR, WM_COMMAND, WM_SYSCOMMAND = 0x100, 0x102, 0x111, 0x112
BM_CLICK, SC_CLOSE, VK_RETURN, VK_ESCAPE = 0xF5, 0xF060, 0x0D, 0x1B
WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP = 0x200, 0x201, 0x202
WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK = 0x203, 0x204, 0x205, 0x206
ABOUT_TITLE = "About Windows Agent"
MENU_CLASS = "#32768"


def wait_about(desktop, timeout=8000):
    code, objects, _ = desktop.probe("wait-window", "--title", ABOUT_TITLE, "--timeout", timeout)
    return objects[0]["window"] if code == 0 else None


def about_gone(desktop):
    code, objects, _ = desktop.probe("wait-window", "--title", ABOUT_TITLE, "--timeout", 300)
    return code != 0


SS_TYPEMASK, SS_ICON = 0x1F, 0x3


def texts(window):
    """The About box's text lines, top to bottom (the icon is a static too)."""
    lines = [c for c in window["children"]
             if c["class"].lower() == "static" and c["style"] & SS_TYPEMASK != SS_ICON]
    return [c["text"] for c in sorted(lines, key=lambda c: c["rect"][1])]


@pytest.mark.parametrize("edition,product", [(1, "Orvik Windows Agent V4.00"),
                                             (2, "Quorvane Windows Agent V4.00")])
def test_a_double_click_opens_the_about_box(desktop, edition, product):
    agent = Agent(desktop, edition=edition).wait_answering()
    agent.post(WM_AGENT_TRAY, 0, WM_LBUTTONDBLCLK)
    about = wait_about(desktop)
    assert about, "no About box"
    assert about["text"] == ABOUT_TITLE
    lines = texts(about)
    assert lines[0] == product and len(lines) == 4 and all(lines)
    icons = [c for c in about["children"] if c["class"].lower() == "static" and c["style"] & SS_TYPEMASK == SS_ICON]
    assert len(icons) == 1
    ok = [c for c in about["children"] if c["id"] == 1]
    assert ok and ok[0]["text"] == "OK"
    desktop.screenshot(f"about-edition{edition}.png")
    assert_reply(desktop.send("--code", 7), 8), "requests are served while the box is open"
    desktop.probe("message", "--title", ABOUT_TITLE, "--child-id", 1, "--msg", BM_CLICK)
    assert about_gone(desktop)
    agent.quit()


@pytest.mark.parametrize("how", ["enter", "escape", "close box"])
def test_the_about_box_closes_by_keys_and_close_box(desktop, how):
    agent = Agent(desktop).wait_answering()
    agent.post(WM_AGENT_TRAY, 0, WM_LBUTTONDBLCLK)
    about = wait_about(desktop)
    assert about
    if how == "close box":
        desktop.probe("message", "--title", ABOUT_TITLE, "--msg", WM_SYSCOMMAND, "--wparam", SC_CLOSE,
                      "--post")
    else:
        # Keys go to the control with the focus, the OK button; the dialog
        # manager turns Enter into IDOK and Esc into IDCANCEL.
        key = VK_RETURN if how == "enter" else VK_ESCAPE
        desktop.probe("message", "--title", ABOUT_TITLE, "--child-id", 1, "--msg", WM_KEYDOWN,
                      "--wparam", key, "--post")
    assert about_gone(desktop), f"{how} did not close the About box"
    assert_reply(desktop.send("--code", 7), 8)
    agent.quit()


def test_other_mouse_messages_do_nothing(desktop):
    agent = Agent(desktop).wait_answering()
    for mouse in (WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK):
        agent.post(WM_AGENT_TRAY, 0, mouse)
    assert desktop.probe("wait-window", "--title", ABOUT_TITLE, "--timeout", 800)[0] != 0
    assert desktop.probe("wait-window", "--class", MENU_CLASS, "--timeout", 300)[0] != 0
    assert_reply(desktop.send("--code", 7), 8)
    agent.quit()


def open_menu(desktop, agent):
    agent.post(WM_AGENT_TRAY, 0, WM_RBUTTONUP)
    code, objects, _ = desktop.probe("wait-window", "--class", MENU_CLASS, "--timeout", 8000)
    assert code == 0, "the tray menu did not open"
    return objects[0]["window"]


def test_about_from_the_tray_menu(desktop):
    agent = Agent(desktop).wait_answering()
    open_menu(desktop, agent)
    desktop.screenshot("tray-menu.png")
    assert_reply(desktop.send("--code", 7), 8), "requests are served while the menu is open"
    agent.post(WM_CHAR, ord("a"))
    about = wait_about(desktop)
    assert about, "&About did not open the About box"
    desktop.probe("message", "--title", ABOUT_TITLE, "--child-id", 1, "--msg", BM_CLICK)
    assert about_gone(desktop)
    assert agent.process.poll() is None
    agent.quit()


def test_quit_from_the_tray_menu_ends_the_agent(desktop):
    watch = desktop.start_probe("watch", "--seconds", 120)
    assert watch.wait_for(lambda e: e["event"] == "ready")
    agent = Agent(desktop).wait_answering()
    open_menu(desktop, agent)
    agent.post(WM_CHAR, ord("q"))
    assert agent.exit_code() == 0
    watch.settle()
    before = len(watch.poll())
    assert desktop.send("--code", 7, "--timeout", 700)["reply"] is None
    watch.settle(1.0)
    assert len(watch.poll()) > before, "the agent left the chain: notifications reach its next viewer"
    watch.stop()
