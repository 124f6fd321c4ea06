"""Request 13: the agent answers with reply 14 and asks the Help viewer for
quorvane.hlp in its own folder. Wine's WinHelpA starts winhlp32 and hands it
the file by message; for a file it cannot read, winhlp32 shows a box titled
"ERROR" whose text names the full path it was given, and WinHelpA returns
only when that box is closed. So reply 14 in the clipboard while the box is
open shows that the reply went out before the viewer was asked."""
import shutil
import time

import pytest

from conftest import Agent
from replies import assert_reply

BM_CLICK = 0x00F5
FOLDER = r"C:\Program Files\Orvik"
PROGRAM = FOLDER + r"\OrvAgent.exe"


def wait_error_box(desktop):
    code, objects, _ = desktop.probe("wait-window", "--title", "ERROR", "--timeout", 10000)
    assert code == 0, "winhlp32 showed no ERROR box"
    return objects[0]["window"]


def box_text(box):
    return " ".join(c["text"] for c in box["children"] if c["class"].lower() == "static")


def names(box, path):
    """The box quotes the path it was given: 'path' or `path'."""
    return any(f"{quote}{path}'" in box_text(box) for quote in "'`")


def close_box(desktop, box):
    """Answers the box: "No" when it offers to look for the file, else "OK"."""
    buttons = {c["text"].replace("&", ""): c["id"] for c in box["children"] if c["class"] == "Button"}
    button = buttons.get("No", buttons.get("OK"))
    desktop.probe("message", "--hwnd", box["hwnd"], "--child-id", button, "--msg", BM_CLICK)
    assert desktop.probe("wait-window", "--title", "ERROR", "--timeout", 300)[0] != 0, "the box stays"


def clipboard_now(desktop):
    """The format-10 block in the clipboard: a watcher is told at once when it joins."""
    watch = desktop.start_probe("watch", "--seconds", 30)
    first = watch.wait_for(lambda e: e["event"] == "draw_clipboard")
    watch.stop()
    assert first, "the watcher was not told what the clipboard holds"
    return first["format10"]


def ask_for_help(desktop, sequence):
    assert_reply(desktop.send("--code", 13, "--sequence", sequence), 14, 64)
    box = wait_error_box(desktop)
    held = clipboard_now(desktop)
    assert held and held["code"] == 14 and held["sequence"] == sequence, \
        f"the clipboard holds {held} while the Help viewer is being asked"
    return box


def wait_answering(desktop, timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        if desktop.probe("presence", "--timeout", 500)[0] == 0:
            return
        time.sleep(0.2)
    raise AssertionError("the agent does not answer")


def test_help_is_asked_for_beside_the_agent_after_reply_14(desktop):
    agent = Agent(desktop).wait_answering()
    expected = desktop.windows_path(desktop.exe("agent").parent) + "\\quorvane.hlp"
    assert not desktop.exe("agent").with_name("quorvane.hlp").exists()
    box = ask_for_help(desktop, 0x1301)
    assert names(box, expected), box_text(box)
    close_box(desktop, box)
    assert_reply(desktop.send("--code", 7), 8)
    # Nothing is remembered: the next request asks the viewer again.
    box = ask_for_help(desktop, 0x1302)
    assert names(box, expected), box_text(box)
    close_box(desktop, box)
    assert_reply(desktop.send("--code", 7), 8)
    agent.quit()


@pytest.mark.parametrize("help_file", ["missing", "present"])
def test_an_agent_started_from_a_path_with_blanks_without_quotes(desktop, help_file):
    folder = desktop.prefix / "drive_c" / "Program Files" / "Orvik"
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copy(desktop.exe("agent"), folder / "OrvAgent.exe")
    shutil.copy(desktop.exe("orvprobe"), folder / "orvprobe.exe")
    help_path = folder / "quorvane.hlp"
    help_path.unlink(missing_ok=True)
    if help_file == "present":
        help_path.write_bytes(b"not a help file of any kind\r\n")

    # The command line as a shell that forgets the quotes passes it: the
    # program's own argv[0] then ends at the first blank.
    probe_line = FOLDER + r"\orvprobe.exe command-line"
    code, objects, text = desktop.probe("run", probe_line, "--program", FOLDER + r"\orvprobe.exe",
                                        "--wait", 20000)
    seen = [o for o in objects if "argv0" in o]
    assert seen and seen[0]["command_line"] == probe_line and seen[0]["argv0"] == r"C:\Program", text

    code, objects, text = desktop.probe("run", PROGRAM, "--program", PROGRAM)
    assert code == 0, text
    wait_answering(desktop)
    box = ask_for_help(desktop, 0x1310)
    assert names(box, FOLDER + r"\quorvane.hlp"), box_text(box)
    close_box(desktop, box)
    assert_reply(desktop.send("--code", 7), 8)
