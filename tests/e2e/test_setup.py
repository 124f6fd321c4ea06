"""OrvSetup.exe on the Wine desktop: its dialog, and what an install puts on
disk, in the registry and in the running processes, and its messages."""
import shutil
import time

import pylnk
import pytest

from conftest import Agent

BM_CLICK, WM_COMMAND, WM_KEYDOWN, WM_SYSCOMMAND = 0xF5, 0x111, 0x100, 0x112
IDOK, IDCANCEL, VK_ESCAPE, SC_CLOSE = 1, 2, 0x1B, 0xF060
SS_TYPEMASK, SS_ICON, BS_TYPEMASK, BS_DEFPUSHBUTTON, HAS_ICON_LOCATION = 0x1F, 0x3, 0xF, 0x1, 0x40
DIALOG_TITLE, MESSAGE_TITLE = "Install Orvik", "Install"
AGENT_MESSAGE = "Can't copy ORVAGENT.EXE. Make sure it isn't installed in the tray."
EDITOR_BOX, AGENT_BOX, STARTUP_BOX, SEND_TO_BOX, EDIT_BOX = 1001, 1003, 1004, 1005, 1006
BOXES = (EDITOR_BOX, AGENT_BOX, STARTUP_BOX, SEND_TO_BOX, EDIT_BOX)
EDIT_KEY = r"HKCR\htmlfile\shell\Edit\Command"
AGENT = r"C:\Program Files\Orvik\OrvAgent.exe"
STARTUP, SEND_TO = "windows/Start Menu/Programs/StartUp/OrvWinAgent.lnk", "windows/SendTo/Orvik.lnk"
CONTENTS = {"editor": b"MZ stand-in console editor\r\n" * 1500,  # over two copy chunks
            "manual": bytes(range(256)) * 80}
# Posted: the install runs inside the click, and a box would hold a sent one.
ENDINGS = {"OK": ("--child-id", IDOK, "--msg", BM_CLICK),
           "cancel": ("--msg", WM_COMMAND, "--wparam", IDCANCEL),
           "escape": ("--child-id", IDOK, "--msg", WM_KEYDOWN, "--wparam", VK_ESCAPE),
           "close box": ("--msg", WM_SYSCOMMAND, "--wparam", SC_CLOSE)}


class Setup:
    """One OrvSetup run, started in the source folder, driven through its dialog."""

    def __init__(self, desktop, source, path=None):
        self.desktop = desktop
        # Wine gives programs the registry's PATH; a parent shell gives this one its own.
        command = ["cmd", "/c", f"set PATH={path}&& OrvSetup.exe"] if path else \
            [source / "OrvSetup.exe"]
        self.process = desktop.start_program(*command, cwd=source)
        self.dialog = desktop.wait_window(15000, title=DIALOG_TITLE)
        assert self.dialog, "no install dialog"

    def boxes(self):
        return {c["id"]: (c["checked"], c["enabled"]) for c in
                self.desktop.wait_window(0, title=DIALOG_TITLE)["children"] if c["id"] in BOXES}

    def click(self, *controls):
        for control in controls:
            self.desktop.probe("message", "--title", DIALOG_TITLE, "--child-id", control,
                               "--msg", BM_CLICK)

    def finish(self, how="OK", timeout=30):
        """Ends the dialog and answers the install's message boxes; returns their texts."""
        self.desktop.probe("message", "--title", DIALOG_TITLE, *ENDINGS[how], "--post")
        messages, end = [], time.time() + timeout
        while self.process.poll() is None:
            assert time.time() < end, "the installer did not end"
            box = self.desktop.wait_window(400, title=MESSAGE_TITLE, class_="#32770")
            if box:
                messages += [c["text"] for c in box["children"] if c["class"].lower() == "static"
                             and c["style"] & SS_TYPEMASK != SS_ICON and c["text"]]
                assert box["owner"] == "0" and [c["text"] for c in box["children"]
                                                if c["id"] == IDOK] == ["OK"]
                self.desktop.probe("message", "--hwnd", box["hwnd"], "--child-id", IDOK,
                                   "--msg", BM_CLICK, "--post")
                while self.desktop.wait_window(0, hwnd=box["hwnd"]) and time.time() < end:
                    time.sleep(0.1)
        assert self.process.wait(timeout=15) == 0
        return messages


@pytest.fixture
def win(desktop):
    """No earlier install, .htm files of class htmlfile, the shell folders, and a source
    folder with the editor, its manual, the real agent and the installer itself."""
    drive = desktop.prefix / "drive_c"
    for path in ("Program Files/Orvik", "setupsrc", "windows/orvtools", "windows/COMMAND"):
        shutil.rmtree(drive / path, ignore_errors=True)
    for path in ("windows/Orvik.exe", "windows/Orvik.doc", STARTUP, SEND_TO):
        (drive / path).unlink(missing_ok=True)
        (drive / path).parent.mkdir(parents=True, exist_ok=True)
    (drive / "setup.reg").write_text("REGEDIT4\r\n\r\n[-HKEY_CLASSES_ROOT\\htmlfile\\shell\\Edit]"
                                     "\r\n\r\n[HKEY_CLASSES_ROOT\\.htm]\r\n@=\"htmlfile\"\r\n")
    assert desktop.tool("reg", "import", r"C:\setup.reg")[0] == 0
    for path in ("setupsrc", "windows/orvtools", "windows/COMMAND"):
        (drive / path).mkdir()
    (drive / "setupsrc" / "ORVIK.EXE").write_bytes(CONTENTS["editor"])
    (drive / "setupsrc" / "ORVIK.DOC").write_bytes(CONTENTS["manual"])
    shutil.copy(desktop.exe("agent"), drive / "setupsrc" / "ORVAGENT.EXE")
    shutil.copy(desktop.exe("setup"), drive / "setupsrc" / "OrvSetup.exe")
    return drive


def link(path):
    if not path.exists():
        return None
    f = pylnk.file()
    f.open(str(path))
    # Paths compare without case, as Windows does: the shell may store the real spelling.
    icon = (f.icon_location.lower(), f.icon_index) if f.data_flags & HAS_ICON_LOCATION else None
    found = (f.local_path.lower(), f.description, icon)
    f.close()
    return found


def installed(desktop, drive, editor_dir):
    """What is on the machine that an install can change."""
    names = {v: k for k, v in CONTENTS.items()}
    names[desktop.exe("agent").read_bytes()] = "agent"
    unix = [drive / p[3:].replace("\\", "/") for p in files_of(editor_dir)]
    edit = desktop.tool("reg", "query", EDIT_KEY, "/ve")[1].partition("REG_SZ")[2].strip()
    running = [args[0] for _, args in desktop.processes()
               if args[0].lower().endswith("orvagent.exe")]
    return {"files": [names.get(p.read_bytes(), "other") if p.exists() else None for p in unix],
            "startup": link(drive / STARTUP), "send_to": link(drive / SEND_TO),
            "edit": edit or None, "running": running}


def files_of(editor_dir):
    return AGENT, AGENT[:-12] + "Orvik.doc", editor_dir + r"\Orvik.exe", editor_dir + r"\Orvik.doc"


def expected(editor_dir, installs=True, agent_copied=True):
    editor_path, linked = editor_dir + r"\Orvik.exe", installs and agent_copied
    icon = (AGENT.lower(), 1) if linked else None
    return {"files": ["agent" if linked else None, *(["manual", "editor"] if installs else
                                                     [None, None]), None],
            "startup": (AGENT.lower(), "WinAgent", None) if linked else None,
            "send_to": (editor_path.lower(), "Orvik", icon) if installs else None,
            "edit": f'"{editor_path}" "%1"' if installs else None,
            "running": [AGENT] if linked else []}


NOTHING, COMMAND = {"installs": False}, r"c:\windows\COMMAND"
# PATH from a parent shell puts the editor in "\command" wherever it stands, as PATH spells it.
PATH = r"C:\windows\orvtools;" + COMMAND + r";C:\windows"
# (case, an older agent running, source file removed, PATH, messages, outcome)
INSTALLS = [("everything", True, None, PATH, [], {}),
            ("agent file missing", True, "ORVAGENT.EXE", None, [AGENT_MESSAGE],
             {"agent_copied": False})]


@pytest.mark.parametrize("case,old,removed,path,messages,outcome", INSTALLS,
                         ids=[i[0] for i in INSTALLS])
def test_an_install_leaves_what_it_reports(desktop, win, case, old, removed, path, messages,
                                           outcome):
    old_agent = Agent(desktop).wait_answering() if old else None
    if removed:
        (win / "setupsrc" / removed).unlink()
    assert Setup(desktop, win / "setupsrc", path).finish() == messages
    if old_agent:
        assert old_agent.exit_code() == 0, "the older agent was told to quit"
    assert removed or desktop.wait_presence(), "the new agent does not answer"
    editor_dir = COMMAND if path else r"C:\windows"
    assert installed(desktop, win, editor_dir) == expected(editor_dir, **outcome)


def test_installing_over_the_installed_agent_waits_for_it_to_end(desktop, win):
    with desktop.managed_windows():  # the agent takes about 1.5 s to end
        (win / "Program Files" / "Orvik").mkdir(parents=True)
        shutil.copy(desktop.exe("agent"), win / "Program Files" / "Orvik" / "OrvAgent.exe")
        old = Agent(desktop, path=AGENT).wait_answering()
        assert Setup(desktop, win / "setupsrc").finish() == [], "its file was free to be replaced"
        assert old.exit_code() == 0 and desktop.wait_presence()
        assert installed(desktop, win, r"C:\windows")["running"] == [AGENT]


@pytest.mark.parametrize("how", ["cancel", "escape", "close box"])
def test_the_dialog_and_its_dependent_boxes(desktop, win, how):
    setup = Setup(desktop, win / "setupsrc")
    children = {c["id"]: c for c in setup.dialog["children"]}
    assert (setup.dialog["class"], setup.dialog["owner"], 1002 in children) == \
        ("#32770", "0", False)
    assert [children[i]["text"] for i in (*BOXES, IDOK)] == [
        '&Install ORVIK.EXE into "C:\\windows"',
        'Install Windows &Agent into "C:\\Program Files\\Orvik"',
        "&Load Orvik Agent at Windows startup", '&Shortcut for Orvik under "Send-To"',
        'Shortcut for Orvik in IExplorer "&Edit | Page"', "OK"]
    assert children[IDOK]["style"] & BS_TYPEMASK == BS_DEFPUSHBUTTON
    assert len([c for c in children.values() if c["class"].lower() == "static"
                and c["style"] & SS_TYPEMASK == SS_ICON]) == 1
    desktop.screenshot("setup-dialog.png")
    # (boxes clicked, {box: (checked, enabled)} after); dependent boxes remember their choice
    steps = [((), {i: (1, True) for i in BOXES}),
             ((STARTUP_BOX, AGENT_BOX), {AGENT_BOX: (0, True), STARTUP_BOX: (0, False)}),
             ((AGENT_BOX, SEND_TO_BOX, EDITOR_BOX), {STARTUP_BOX: (0, True), EDIT_BOX: (0, False)}),
             ((EDITOR_BOX,), {SEND_TO_BOX: (0, True), EDIT_BOX: (1, True)})]
    for clicks, after in steps if how == "cancel" else steps[:1]:
        setup.click(*clicks)
        boxes = setup.boxes()
        assert {i: boxes[i] for i in after} == after, clicks
    assert setup.finish(how) == []
    assert installed(desktop, win, r"C:\windows") == expected(r"C:\windows", **NOTHING)
