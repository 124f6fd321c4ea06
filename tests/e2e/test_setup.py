"""OrvSetup.exe on the Wine desktop: its dialog, what an install puts on disk,
in the registry and in the running processes, and its messages."""
import os
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

import pytest

from conftest import CLASS_FIRST, Agent
import pylnk

HAS_ICON_LOCATION = 0x40


class read_link:
    def __init__(self, path):
        link = pylnk.file()
        link.open(str(path))
        self.target, self.description, self.flags = link.local_path, link.description, link.data_flags
        self.icon_location, self.icon_index = link.icon_location, link.icon_index
        link.close()

BM_CLICK, WM_COMMAND, WM_KEYDOWN, WM_SYSCOMMAND = 0xF5, 0x111, 0x100, 0x112
IDOK, IDCANCEL, VK_ESCAPE, SC_CLOSE = 1, 2, 0x1B, 0xF060
SS_TYPEMASK, SS_ICON, BS_TYPEMASK, BS_DEFPUSHBUTTON = 0x1F, 0x3, 0xF, 0x1
DIALOG_TITLE = "Install Orvik"
MESSAGE_TITLE = "Install"
AGENT_MESSAGE = "Can't copy ORVAGENT.EXE. Make sure it isn't installed in the tray."
EDITOR_BOX, AGENT_BOX, STARTUP_BOX, SEND_TO_BOX, EDIT_BOX = 1001, 1003, 1004, 1005, 1006
BOXES = (EDITOR_BOX, AGENT_BOX, STARTUP_BOX, SEND_TO_BOX, EDIT_BOX)

EDITOR_BYTES = b"MZ stand-in console editor\r\n" * 1500  # over two copy chunks
MANUAL_BYTES = bytes(range(256)) * 80
EDIT_KEY = r"HKCR\htmlfile\shell\Edit\Command"


class Windows:
    """The prefix's C: drive as the installer sees it."""

    def __init__(self, desktop):
        self.desktop = desktop
        self.drive = desktop.prefix / "drive_c"
        self.windows = self.drive / "windows"
        self.agent_dir = self.drive / "Program Files" / "Orvik"
        self.startup_link = self.windows / "Start Menu" / "Programs" / "StartUp" / "OrvWinAgent.lnk"
        self.send_to_link = self.windows / "SendTo" / "Orvik.lnk"
        self.source = self.drive / "setupsrc"

    def unix(self, windows_path):
        assert windows_path[:3].upper() == "C:\\"
        return self.drive.joinpath(*windows_path[3:].split("\\"))


def wine(desktop, *args, timeout=60):
    """Runs a Wine tool; returns (exit code, text it printed), output through a file."""
    with tempfile.TemporaryFile("w+") as out:
        r = subprocess.run([desktop.wine, *args], env=desktop.env, stdin=subprocess.DEVNULL,
                           stdout=out, stderr=subprocess.DEVNULL, timeout=timeout)
        out.seek(0)
        return r.returncode, out.read()


def reg_import(desktop, text):
    path = Path(desktop.prefix) / "drive_c" / "setup-test.reg"
    path.write_text("REGEDIT4\r\n\r\n" + text.replace("\n", "\r\n"))
    code, _ = wine(desktop, "reg", "import", "C:\\setup-test.reg")
    path.unlink()
    assert code == 0


def edit_command(desktop):
    """The .htm class's Edit command, or None."""
    code, text = wine(desktop, "reg", "query", EDIT_KEY, "/ve")
    if code != 0:
        return None
    for line in text.splitlines():
        if "REG_SZ" in line:
            return line.split("REG_SZ", 1)[1].strip()
    return None


def export_classes(desktop, name):
    path = Path(desktop.prefix) / "drive_c" / name
    code, _ = wine(desktop, "reg", "export", "HKEY_CLASSES_ROOT", "C:\\" + name, "/y")
    assert code == 0
    text = path.read_bytes()
    path.unlink()
    return text


@pytest.fixture
def win(desktop):
    """A machine with nothing of an earlier install, .htm files of the
    htmlfile class, the shell folders the installer writes into, and a
    source folder with the editor, its manual, the real agent and the
    installer itself."""
    w = Windows(desktop)
    for path in (w.agent_dir, w.source, w.windows / "orvtools", w.windows / "command"):
        shutil.rmtree(path, ignore_errors=True)
    for path in (w.windows / "Orvik.exe", w.windows / "Orvik.doc", w.startup_link, w.send_to_link):
        path.unlink(missing_ok=True)
    w.startup_link.parent.mkdir(parents=True, exist_ok=True)
    w.send_to_link.parent.mkdir(parents=True, exist_ok=True)
    reg_import(desktop, "[-HKEY_CLASSES_ROOT\\htmlfile\\shell\\Edit]\n\n"
                        "[HKEY_CLASSES_ROOT\\.htm]\n@=\"htmlfile\"\n")
    w.source.mkdir()
    (w.source / "ORVIK.EXE").write_bytes(EDITOR_BYTES)
    (w.source / "ORVIK.DOC").write_bytes(MANUAL_BYTES)
    shutil.copy(desktop.exe("agent"), w.source / "ORVAGENT.EXE")
    shutil.copy(desktop.exe("setup"), w.source / "OrvSetup.exe")
    return w


class Setup:
    """One OrvSetup run, started in the source folder, driven through its dialog."""

    def __init__(self, desktop, win, path=None):
        self.desktop = desktop
        if path is None:
            self.process = desktop.start_program(win.source / "OrvSetup.exe", cwd=win.source)
        else:
            # Wine gives programs the registry's PATH; a parent shell gives this one its own.
            self.process = desktop.start_program(
                "cmd", "/c", f"set PATH={path}&& OrvSetup.exe", cwd=win.source)
        code, objects, text = desktop.probe("wait-window", "--title", DIALOG_TITLE, "--timeout", 15000)
        assert code == 0, "no install dialog: " + text
        self.dialog = objects[0]["window"]

    def info(self):
        code, objects, _ = self.desktop.probe("window-info", "--title", DIALOG_TITLE)
        assert code == 0
        return objects[0]["window"]

    def boxes(self):
        """{control id: (checked, enabled)} of the option boxes."""
        return {c["id"]: (c["checked"], c["enabled"]) for c in self.info()["children"]
                if c["id"] in BOXES}

    def caption(self, control):
        return next(c["text"] for c in self.info()["children"] if c["id"] == control)

    def click(self, *controls):
        """Clicks as a user does: the box toggles and tells the dialog."""
        for control in controls:
            code, _, text = self.desktop.probe("message", "--title", DIALOG_TITLE, "--child-id",
                                               control, "--msg", BM_CLICK)
            assert code == 0, f"box {control} not found to click: {text}"

    def ok(self, timeout=30):
        """Presses OK and answers the message boxes of the install; returns
        their texts. Posted: the install runs inside the click, and a message
        box would hold a sent click until it is answered."""
        self.desktop.probe("message", "--title", DIALOG_TITLE, "--child-id", IDOK, "--msg", BM_CLICK,
                           "--post")
        return self.finish(timeout)

    def finish(self, timeout=30):
        messages = []
        end = time.time() + timeout
        while self.process.poll() is None:
            assert time.time() < end, "the installer did not end"
            code, objects, _ = self.desktop.probe("wait-window", "--title", MESSAGE_TITLE, "--class",
                                                  "#32770", "--timeout", 400)
            if code != 0:
                continue
            box = objects[0]["window"]
            texts = [c["text"] for c in box["children"] if c["class"].lower() == "static"
                     and c["style"] & SS_TYPEMASK != SS_ICON and c["text"]]
            messages.append(texts[0] if len(texts) == 1 else texts)
            assert box["owner"] == "0"
            assert any(c["id"] == IDOK and c["text"] == "OK" for c in box["children"])
            self.desktop.probe("message", "--hwnd", box["hwnd"], "--child-id", IDOK, "--msg", BM_CLICK,
                               "--post")
            while self.desktop.probe("window-info", "--hwnd", box["hwnd"])[0] == 0:
                assert time.time() < end, "the message box stays"
                time.sleep(0.1)
        return messages

    def exit_code(self):
        return self.process.wait(timeout=15)


def agent_processes(desktop):
    """Command lines of the agents running in this prefix."""
    found = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            args = (entry / "cmdline").read_bytes().split(b"\0")[0].decode(errors="replace")
            environ = (entry / "environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if args.lower().endswith("orvagent.exe") and \
                b"WINEPREFIX=" + str(desktop.prefix).encode() in environ:
            found.append(args)
    return found


def wait_presence(desktop, timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        if desktop.probe("presence", "--timeout", "500")[0] == 0:
            return True
        time.sleep(0.2)
    return False


def assert_nothing_installed(win, desktop):
    assert not win.agent_dir.exists()
    assert not (win.windows / "Orvik.exe").exists()
    assert not (win.windows / "Orvik.doc").exists()
    assert not win.startup_link.exists() and not win.send_to_link.exists()
    assert edit_command(desktop) is None


def test_everything_installed_over_a_running_older_agent(desktop, win):
    old = Agent(desktop).wait_answering()
    setup = Setup(desktop, win)
    assert setup.ok() == []
    assert setup.exit_code() == 0

    agent_path = "C:\\Program Files\\Orvik\\OrvAgent.exe"
    editor_path = "C:\\windows\\Orvik.exe"
    assert (win.agent_dir / "Orvik.doc").read_bytes() == MANUAL_BYTES
    assert (win.agent_dir / "OrvAgent.exe").read_bytes() == (win.source / "ORVAGENT.EXE").read_bytes()
    assert win.unix(editor_path).read_bytes() == EDITOR_BYTES
    assert not (win.windows / "Orvik.doc").exists(), "the manual goes beside the agent only"

    assert old.exit_code() == 0, "the older agent was told to quit"
    assert wait_presence(desktop), "the new agent does not answer"
    assert agent_processes(desktop) == [agent_path]

    startup = read_link(win.startup_link)
    assert (startup.target, startup.description) == (agent_path, "WinAgent")
    assert not startup.flags & HAS_ICON_LOCATION
    send_to = read_link(win.send_to_link)
    assert (send_to.target, send_to.description) == (editor_path, "Orvik")
    assert (send_to.icon_location, send_to.icon_index) == (agent_path, 1)

    assert edit_command(desktop) == f'"{editor_path}" "%1"'


def test_without_the_agent_the_manual_goes_beside_the_editor(desktop, win):
    old = Agent(desktop).wait_answering()
    old_pid = old.window()["pid"]
    setup = Setup(desktop, win)
    setup.click(AGENT_BOX)  # the start-up box is cleared and disabled; its flag stays on
    assert setup.boxes()[STARTUP_BOX] == (0, False)
    assert setup.ok() == []
    assert setup.exit_code() == 0

    assert (win.windows / "Orvik.exe").read_bytes() == EDITOR_BYTES
    assert (win.windows / "Orvik.doc").read_bytes() == MANUAL_BYTES
    assert not win.agent_dir.exists() and not win.startup_link.exists()
    send_to = read_link(win.send_to_link)
    assert (send_to.target, send_to.description) == ("C:\\windows\\Orvik.exe", "Orvik")
    assert not send_to.flags & HAS_ICON_LOCATION and send_to.icon_location is None
    assert edit_command(desktop) == '"C:\\windows\\Orvik.exe" "%1"'

    assert old.process.poll() is None and old.window()["pid"] == old_pid, "the agent was stopped"
    assert agent_processes(desktop) == [str(desktop.exe("agent"))], "an agent was started"


def test_without_the_editor_only_the_agent_side_is_installed(desktop, win):
    (win.source / "ORVIK.DOC").write_bytes(b"")  # an empty file is copied as one
    setup = Setup(desktop, win)
    setup.click(EDITOR_BOX)
    assert setup.boxes()[SEND_TO_BOX] == (0, False) and setup.boxes()[EDIT_BOX] == (0, False)
    assert setup.ok() == []
    assert setup.exit_code() == 0

    assert (win.agent_dir / "Orvik.doc").read_bytes() == b""
    assert (win.agent_dir / "OrvAgent.exe").exists() and win.startup_link.exists()
    assert wait_presence(desktop)
    assert not (win.windows / "Orvik.exe").exists() and not (win.windows / "Orvik.doc").exists()
    assert not win.send_to_link.exists()
    assert edit_command(desktop) is None


def test_a_missing_agent_is_reported_once_and_the_editor_still_installed(desktop, win):
    (win.source / "ORVAGENT.EXE").unlink()
    setup = Setup(desktop, win)
    assert setup.ok() == [AGENT_MESSAGE]
    assert setup.exit_code() == 0

    assert (win.agent_dir / "Orvik.doc").read_bytes() == MANUAL_BYTES
    assert not (win.agent_dir / "OrvAgent.exe").exists()
    assert not win.startup_link.exists()
    assert agent_processes(desktop) == []
    assert (win.windows / "Orvik.exe").read_bytes() == EDITOR_BYTES
    send_to = read_link(win.send_to_link)
    assert send_to.target == "C:\\windows\\Orvik.exe" and send_to.icon_location is None
    assert edit_command(desktop) == '"C:\\windows\\Orvik.exe" "%1"'


def test_a_missing_editor_ends_the_run_silently_and_leaves_an_old_copy(desktop, win):
    (win.source / "ORVIK.EXE").unlink()
    (win.windows / "Orvik.exe").write_bytes(b"an older editor")
    setup = Setup(desktop, win)
    assert setup.ok() == []
    assert setup.exit_code() == 0

    assert (win.windows / "Orvik.exe").read_bytes() == b"an older editor"
    assert not win.send_to_link.exists()
    assert edit_command(desktop) is None
    assert (win.agent_dir / "OrvAgent.exe").exists(), "the agent side ran first"


def test_the_dialog_and_its_dependent_boxes(desktop, win):
    setup = Setup(desktop, win)
    dialog = setup.dialog
    assert dialog["class"] == "#32770" and dialog["owner"] == "0"
    children = {c["id"]: c for c in dialog["children"]}
    assert children[EDITOR_BOX]["text"] == '&Install ORVIK.EXE into "C:\\windows"'
    assert children[AGENT_BOX]["text"] == 'Install Windows &Agent into "C:\\Program Files\\Orvik"'
    assert children[STARTUP_BOX]["text"] == "&Load Orvik Agent at Windows startup"
    assert children[SEND_TO_BOX]["text"] == '&Shortcut for Orvik under "Send-To"'
    assert children[EDIT_BOX]["text"] == 'Shortcut for Orvik in IExplorer "&Edit | Page"'
    assert 1002 not in children
    assert children[IDOK]["text"] == "OK"
    assert children[IDOK]["style"] & BS_TYPEMASK == BS_DEFPUSHBUTTON
    icons = [c for c in dialog["children"]
             if c["class"].lower() == "static" and c["style"] & SS_TYPEMASK == SS_ICON]
    assert len(icons) == 1
    assert all((c["checked"], c["enabled"]) == (1, True) for i, c in children.items() if i in BOXES)
    desktop.screenshot("setup-dialog.png")

    setup.click(STARTUP_BOX)
    assert setup.boxes()[STARTUP_BOX] == (0, True)
    setup.click(AGENT_BOX)
    assert setup.boxes()[STARTUP_BOX] == (0, False)
    setup.click(AGENT_BOX)
    assert setup.boxes()[STARTUP_BOX] == (0, True), "the cleared choice comes back"
    setup.click(STARTUP_BOX, AGENT_BOX)
    assert setup.boxes()[AGENT_BOX] == (0, True) and setup.boxes()[STARTUP_BOX] == (0, False)
    setup.click(AGENT_BOX)
    assert setup.boxes()[STARTUP_BOX] == (1, True), "the checked choice comes back"

    setup.click(SEND_TO_BOX, EDITOR_BOX)
    boxes = setup.boxes()
    assert boxes[EDITOR_BOX] == (0, True)
    assert boxes[SEND_TO_BOX] == (0, False) and boxes[EDIT_BOX] == (0, False)
    setup.click(EDITOR_BOX)
    boxes = setup.boxes()
    assert boxes[SEND_TO_BOX] == (0, True) and boxes[EDIT_BOX] == (1, True)

    desktop.probe("message", "--title", DIALOG_TITLE, "--msg", WM_COMMAND, "--wparam", IDCANCEL,
                  "--post")
    assert setup.finish() == []
    assert setup.exit_code() == 0
    assert_nothing_installed(win, desktop)


@pytest.mark.parametrize("how", ["escape", "close box"])
def test_escape_and_the_close_box_install_nothing(desktop, win, how):
    setup = Setup(desktop, win)
    if how == "escape":
        # The OK button has the focus; the dialog manager turns Esc into IDCANCEL.
        desktop.probe("message", "--title", DIALOG_TITLE, "--child-id", IDOK, "--msg", WM_KEYDOWN,
                      "--wparam", VK_ESCAPE, "--post")
    else:
        desktop.probe("message", "--title", DIALOG_TITLE, "--msg", WM_SYSCOMMAND, "--wparam", SC_CLOSE,
                      "--post")
    assert setup.finish() == []
    assert setup.exit_code() == 0
    assert_nothing_installed(win, desktop)


def test_every_option_off_does_nothing(desktop, win):
    old = Agent(desktop).wait_answering()
    setup = Setup(desktop, win)
    setup.click(EDITOR_BOX, AGENT_BOX)
    assert all(checked == 0 for checked, _ in setup.boxes().values())
    assert setup.ok() == []
    assert setup.exit_code() == 0
    assert_nothing_installed(win, desktop)
    assert old.process.poll() is None


def test_without_a_htm_key_the_registry_is_left_unchanged(desktop, win):
    reg_import(desktop, "[-HKEY_CLASSES_ROOT\\.htm]\n")
    before = export_classes(desktop, "classes-before.reg")
    setup = Setup(desktop, win)
    setup.click(AGENT_BOX, SEND_TO_BOX)
    assert setup.ok() == []
    assert setup.exit_code() == 0
    assert (win.windows / "Orvik.exe").exists()
    assert export_classes(desktop, "classes-after.reg") == before


@pytest.mark.parametrize("path,editor_dir", [
    # The Windows directory itself and the system directory's entries are
    # passed over; blanks and one final backslash are trimmed.
    ("C:\\windows\\system32;C:\\windows; C:\\windows\\orvtools\\ ;C:\\windows\\command2",
     "C:\\windows\\orvtools"),
    # The "\command" folder wins wherever it stands, spelled as PATH has it.
    ("C:\\windows\\orvtools;c:\\windows\\COMMAND;C:\\windows\\system32",
     "c:\\windows\\COMMAND"),
])
def test_the_editor_directory_follows_path(desktop, win, path, editor_dir):
    for folder in ("orvtools", "command"):
        (win.windows / folder).mkdir()
    setup = Setup(desktop, win, path=path)
    assert setup.caption(EDITOR_BOX) == f'&Install ORVIK.EXE into "{editor_dir}"'
    setup.click(AGENT_BOX)
    assert setup.ok() == []
    assert setup.exit_code() == 0

    folder = win.windows / editor_dir.split("\\")[-1].lower()
    assert (folder / "Orvik.exe").read_bytes() == EDITOR_BYTES
    assert (folder / "Orvik.doc").read_bytes() == MANUAL_BYTES
    assert not (win.windows / "Orvik.exe").exists()
    assert read_link(win.send_to_link).target.lower() == editor_dir.lower() + "\\orvik.exe"
    assert edit_command(desktop) == f'"{editor_dir}\\Orvik.exe" "%1"'


def test_installing_over_the_installed_agent_waits_for_it_to_end(desktop, win):
    with desktop.managed_windows():  # the agent takes about 1.5 s to end
        win.agent_dir.mkdir(parents=True)
        shutil.copy(desktop.exe("agent"), win.agent_dir / "OrvAgent.exe")
        old = Agent(desktop, path=win.agent_dir / "OrvAgent.exe").wait_answering()
        assert Setup(desktop, win).ok() == [], "its file was free to be replaced"
        assert old.exit_code() == 0 and wait_presence(desktop)
        assert agent_processes(desktop) == ["C:\\Program Files\\Orvik\\OrvAgent.exe"]
