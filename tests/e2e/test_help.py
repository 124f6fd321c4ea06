"""Request 13: reply 14, then the Help viewer is asked for quorvane.hlp in the agent's
folder. For a file it cannot read winhlp32 shows a box titled "ERROR" naming the full
path, and WinHelpA returns only once it is closed: reply 14 held meanwhile came first."""
import shutil

from conftest import assert_reply
from desktop.viewers import start_watch

FOLDER = r"C:\Program Files\Orvik"


def test_help_is_asked_for_beside_the_agent_after_reply_14(desktop):
    folder = desktop.prefix / "drive_c" / "Program Files" / "Orvik"
    folder.mkdir(parents=True, exist_ok=True)
    for program in ("agent", "orvdesk"):
        shutil.copy(desktop.exe(program), folder / desktop.exe(program).name)
    (folder / "quorvane.hlp").write_bytes(b"no help file\r\n")
    # Started as a shell that forgets the quotes would: argv[0] ends at the blank.
    desk, agent = FOLDER + r"\orvdesk.exe", FOLDER + r"\OrvAgent.exe"
    _, objects, text = desktop.desk("run", desk + " command-line", "--program", desk,
                                    "--wait", 20000)
    assert [o["argv0"] for o in objects if "argv0" in o] == [r"C:\Program"], text
    assert desktop.desk("run", agent, "--program", agent)[0] == 0 and desktop.wait_presence()
    for sequence in (0x1301, 0x1302):  # nothing is remembered: each request asks again
        assert_reply(desktop.send("--code", 13, "--sequence", sequence), 14, 64)
        box = desktop.wait_window(10000, title="ERROR")
        assert box, "winhlp32 showed no ERROR box"
        watch = start_watch(desktop, "watch", "--seconds", 30)  # told at once what is held
        held = watch.wait_for(lambda e: e["event"] == "draw_clipboard")["format10"]
        watch.stop()
        assert (held["code"], held["sequence"]) == (14, sequence), "reply 14 went out first"
        text = " ".join(c["text"] for c in box["children"] if c["class"].lower() == "static")
        assert any(f"{quote}{FOLDER}\\quorvane.hlp'" in text for quote in "'`"), text
        desktop.click(box, "No", "OK")
        assert not desktop.wait_window(300, title="ERROR"), "the box stays"
