"""Request 13: reply 14, then the Help viewer is asked for quorvane.hlp in
the agent's own folder. Wine's WinHelpA hands winhlp32 the file by message;
for a file it cannot read winhlp32 shows a box titled "ERROR" naming the
full path, and WinHelpA returns only when the box is closed. So reply 14 in
the clipboard while the box is open shows that the reply went out first."""
import shutil

import pytest

from conftest import Agent, assert_reply, start_watch

FOLDER = r"C:\Program Files\Orvik"


def ask_for_help(desktop, sequence, expected_path):
    assert_reply(desktop.send("--code", 13, "--sequence", sequence), 14, 64)
    box = desktop.wait_window(10000, title="ERROR")
    assert box, "winhlp32 showed no ERROR box"
    watch = start_watch(desktop, "watch", "--seconds", 30)  # told at once what the clipboard holds
    held = watch.wait_for(lambda e: e["event"] == "draw_clipboard")["format10"]
    watch.stop()
    assert (held["code"], held["sequence"]) == (14, sequence), "reply 14 went out before the viewer"
    text = " ".join(c["text"] for c in box["children"] if c["class"].lower() == "static")
    assert any(f"{quote}{expected_path}'" in text for quote in "'`"), text
    desktop.click(box, "No", "OK")
    assert not desktop.wait_window(300, title="ERROR"), "the box stays"
    assert_reply(desktop.send("--code", 7), 8)


@pytest.mark.parametrize("where,help_file", [("build folder", None), (FOLDER, b"no help file\r\n")])
def test_help_is_asked_for_beside_the_agent_after_reply_14(desktop, where, help_file):
    if where == FOLDER:
        # Started as a shell that forgets the quotes would: argv[0] ends at the blank.
        folder = desktop.prefix / "drive_c" / "Program Files" / "Orvik"
        folder.mkdir(parents=True, exist_ok=True)
        shutil.copy(desktop.exe("agent"), folder / "OrvAgent.exe")
        shutil.copy(desktop.exe("orvprobe"), folder / "orvprobe.exe")
        (folder / "quorvane.hlp").write_bytes(help_file)
        line = FOLDER + r"\orvprobe.exe command-line"
        _, objects, text = desktop.probe("run", line, "--program", FOLDER + r"\orvprobe.exe", "--wait", 20000)
        assert [o["argv0"] for o in objects if "argv0" in o] == [r"C:\Program"], text
        assert desktop.probe("run", FOLDER + r"\OrvAgent.exe", "--program", FOLDER + r"\OrvAgent.exe")[0] == 0
        assert desktop.wait_presence()
        expected = FOLDER + r"\quorvane.hlp"
    else:
        Agent(desktop).wait_answering()
        assert not desktop.exe("agent").with_name("quorvane.hlp").exists()
        expected = desktop.windows_path(desktop.exe("agent").parent) + r"\quorvane.hlp"
    for sequence in (0x1301, 0x1302):  # nothing is remembered: each request asks again
        ask_for_help(desktop, sequence, expected)
