"""OrvSetup.exe on the Wine desktop: its dialog, and what an install puts on
disk, in the registry and in the running processes, and its messages; and
the zip that packs the programs for Windows users."""
import shutil
import subprocess
import time
import zipfile

import pylnk
import pytest

from conftest import Agent
from desktop import BUILD, ROOT

BM_CLICK, WM_COMMAND, WM_KEYDOWN, WM_SYSCOMMAND = 0xF5, 0x111, 0x100, 0x112
IDOK, IDCANCEL, VK_ESCAPE, SC_CLOSE = 1, 2, 0x1B, 0xF060
SS_TYPEMASK, SS_ICON, BS_TYPEMASK, BS_DEFPUSHBUTTON, HAS_ICON_LOCATION = 0x1F, 0x3, 0xF, 0x1, 0x40
DIALOG_TITLE, MESSAGE_TITLE = "Install Orvik", "Install"
AGENT_MESSAGE = "Can't copy ORVAGENT.EXE. Make sure it isn't installed in the tray."
EDITOR_BOX, AGENT_BOX, STARTUP_BOX, SEND_TO_BOX, EDIT_BOX = 1001, 1003, 1004, 1005, 1006
BOXES = (EDITOR_BOX, AGENT_BOX, STARTUP_BOX, SEND_TO_BOX, EDIT_BOX)
EDIT_KEY = r"HKCR\htmlfile\shell\Edit\Command"
AGENT = r"C:\Program Files\Orvik\OrvAgent.exe"
CONTENTS = {"editor": b"MZ stand-in console editor\r\n" * 1500,  # over two copy chunks
            "manual": bytes(range(256)) * 80, "empty": b"", "old editor": b"an older editor"}


class Setup:
    """One OrvSetup run, started in the source folder, driven through its dialog."""

    def __init__(self, desktop, source, path=None):
        self.desktop = desktop
        # Wine gives programs the registry's PATH; a parent shell gives this one its own.
        args = ["cmd", "/c", f"set PATH={path}&& OrvSetup.exe"] if path else [source / "OrvSetup.exe"]
        self.process = desktop.start_program(*args, cwd=source)
        self.dialog = self.info(15000)

    def info(self, wait=0):
        code, objects, text = self.desktop.probe("wait-window", "--title", DIALOG_TITLE, "--timeout", wait)
        assert code == 0, "no install dialog: " + text
        return objects[0]["window"]

    def boxes(self):
        return {c["id"]: (c["checked"], c["enabled"]) for c in self.info()["children"] if c["id"] in BOXES}

    def click(self, *controls):
        for control in controls:
            self.desktop.probe("message", "--title", DIALOG_TITLE, "--child-id", control, "--msg", BM_CLICK)

    def finish(self, how="OK", timeout=30):
        """Ends the dialog and answers the install's message boxes; returns their texts.
        Posted: the install runs inside the click, and a box would hold a sent one."""
        message = {"OK": ("--child-id", IDOK, "--msg", BM_CLICK), "cancel": ("--msg", WM_COMMAND, "--wparam", IDCANCEL),
                   "escape": ("--child-id", IDOK, "--msg", WM_KEYDOWN, "--wparam", VK_ESCAPE),
                   "close box": ("--msg", WM_SYSCOMMAND, "--wparam", SC_CLOSE)}[how]
        self.desktop.probe("message", "--title", DIALOG_TITLE, *message, "--post")
        messages, end = [], time.time() + timeout
        while self.process.poll() is None:
            assert time.time() < end, "the installer did not end"
            code, objects, _ = self.desktop.probe("wait-window", "--title", MESSAGE_TITLE, "--class",
                                                  "#32770", "--timeout", 400)
            if code == 0:
                box = objects[0]["window"]
                messages += [c["text"] for c in box["children"] if c["class"].lower() == "static"
                             and c["style"] & SS_TYPEMASK != SS_ICON and c["text"]]
                assert box["owner"] == "0" and any(c["id"] == IDOK and c["text"] == "OK" for c in box["children"])
                self.desktop.probe("message", "--hwnd", box["hwnd"], "--child-id", IDOK, "--msg", BM_CLICK, "--post")
                while self.desktop.probe("window-info", "--hwnd", box["hwnd"])[0] == 0 and time.time() < end:
                    time.sleep(0.1)
        assert self.process.wait(timeout=15) == 0
        return messages


@pytest.fixture
def win(desktop):
    """A machine with nothing of an earlier install, .htm files of the htmlfile
    class, the shell folders the installer writes into, and a source folder
    with the editor, its manual, the real agent and the installer itself."""
    drive = desktop.prefix / "drive_c"
    windows = drive / "windows"
    for path in ("Program Files/Orvik", "setupsrc", "windows/orvtools", "windows/command"):
        shutil.rmtree(drive / path, ignore_errors=True)
    for path in ("Orvik.exe", "Orvik.doc", "Start Menu/Programs/StartUp/OrvWinAgent.lnk", "SendTo/Orvik.lnk"):
        (windows / path).unlink(missing_ok=True)
        (windows / path).parent.mkdir(parents=True, exist_ok=True)
    (drive / "setup.reg").write_text("REGEDIT4\r\n\r\n[-HKEY_CLASSES_ROOT\\htmlfile\\shell\\Edit]\r\n\r\n"
                                     "[HKEY_CLASSES_ROOT\\.htm]\r\n@=\"htmlfile\"\r\n")
    assert desktop.tool("reg", "import", r"C:\setup.reg")[0] == 0
    source = drive / "setupsrc"
    source.mkdir()
    (source / "ORVIK.EXE").write_bytes(CONTENTS["editor"])
    (source / "ORVIK.DOC").write_bytes(CONTENTS["manual"])
    shutil.copy(desktop.exe("agent"), source / "ORVAGENT.EXE")
    shutil.copy(desktop.exe("setup"), source / "OrvSetup.exe")
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
    def unix(windows_path):  # names are found without case, as Wine does
        path = drive
        for part in windows_path[3:].split("\\"):
            same = [c for c in path.iterdir() if c.name.lower() == part.lower()] if path.is_dir() else []
            path = same[0] if same else path / part
        return path
    names = {v: k for k, v in CONTENTS.items()}
    names[desktop.exe("agent").read_bytes()] = "agent"
    files = {p: names.get(unix(p).read_bytes(), "other") if unix(p).exists() else None
             for p in (AGENT, AGENT[:-12] + "Orvik.doc", editor_dir + r"\Orvik.exe", editor_dir + r"\Orvik.doc")}
    code, text = desktop.tool("reg", "query", EDIT_KEY, "/ve")
    edit = next((line.split("REG_SZ", 1)[1].strip() for line in text.splitlines() if "REG_SZ" in line), None)
    running = [args[0] for args in desktop.running() if args[0].lower().endswith("orvagent.exe")]
    return {"files": files, "startup": link(drive / "windows/Start Menu/Programs/StartUp/OrvWinAgent.lnk"),
            "send_to": link(drive / "windows/SendTo/Orvik.lnk"), "edit": edit, "running": running}


def expected(desktop, editor_dir, agent=True, editor=True, agent_copied=True, editor_copied=True,
             manual="manual", old_agent=False, htm=True):
    editor_path = editor_dir + r"\Orvik.exe"
    built = str(desktop.exe("agent"))
    return {"files": {AGENT: "agent" if agent and agent_copied else None,
                      AGENT[:-12] + "Orvik.doc": manual if agent else None,
                      editor_path: ("editor" if editor_copied else "old editor") if editor else None,
                      editor_dir + r"\Orvik.doc": manual if editor and not agent else None},
            "startup": (AGENT.lower(), "WinAgent", None) if agent and agent_copied else None,
            "send_to": (editor_path.lower(), "Orvik", (AGENT.lower(), 1) if agent and agent_copied else None)
            if editor and editor_copied else None,
            "edit": f'"{editor_path}" "%1"' if editor and editor_copied and htm else None,
            "running": [AGENT] if agent and agent_copied else [built] if old_agent and not agent else []}


# (case, old agent running, source file removed, boxes clicked, how it ends, messages, expectation)
INSTALLS = [
    ("everything", True, None, (), "OK", [], {}),
    ("no agent", True, None, (AGENT_BOX,), "OK", [], {"agent": False}),
    ("no editor, empty manual", False, None, (EDITOR_BOX,), "OK", [], {"editor": False, "manual": "empty"}),
    ("agent file missing", True, "ORVAGENT.EXE", (), "OK", [AGENT_MESSAGE], {"agent_copied": False}),
    ("editor file missing", False, "ORVIK.EXE", (), "OK", [], {"editor_copied": False}),
    ("every option off", True, None, (EDITOR_BOX, AGENT_BOX), "OK", [], {"agent": False, "editor": False}),
    ("escape", False, None, (), "escape", [], {"agent": False, "editor": False}),
    ("close box", False, None, (), "close box", [], {"agent": False, "editor": False}),
]


@pytest.mark.parametrize("case,old,removed,clicks,how,messages,outcome", INSTALLS, ids=[i[0] for i in INSTALLS])
def test_an_install_leaves_what_its_options_say(desktop, win, case, old, removed, clicks, how, messages, outcome):
    old_agent = Agent(desktop).wait_answering() if old else None
    if removed:
        (win / "setupsrc" / removed).unlink()
    if case == "editor file missing":
        (win / "windows" / "Orvik.exe").write_bytes(CONTENTS["old editor"])
    if case.startswith("no editor"):
        (win / "setupsrc" / "ORVIK.DOC").write_bytes(b"")
    setup = Setup(desktop, win / "setupsrc")
    setup.click(*clicks)
    assert setup.finish(how) == messages
    if old_agent and outcome.get("agent", True):
        assert old_agent.exit_code() == 0, "the older agent was told to quit"
    if outcome.get("agent", True) and outcome.get("agent_copied", True):
        assert desktop.wait_presence(), "the new agent does not answer"
    assert installed(desktop, win, r"C:\windows") == \
        expected(desktop, r"C:\windows", old_agent=old, **outcome)


def test_installing_over_the_installed_agent_waits_for_it_to_end(desktop, win):
    with desktop.managed_windows():  # the agent takes about 1.5 s to end
        (win / "Program Files" / "Orvik").mkdir(parents=True)
        shutil.copy(desktop.exe("agent"), win / "Program Files" / "Orvik" / "OrvAgent.exe")
        old = Agent(desktop, path=AGENT).wait_answering()
        assert Setup(desktop, win / "setupsrc").finish() == [], "its file was free to be replaced"
        assert old.exit_code() == 0 and desktop.wait_presence()
        assert installed(desktop, win, r"C:\windows")["running"] == [AGENT]


def test_the_editor_folder_follows_path_and_a_missing_htm_key_stays_missing(desktop, win):
    """PATH comes from a parent shell (Wine gives programs the registry's):
    the "\\command" folder wins wherever it stands, spelled as PATH has it."""
    for folder in ("orvtools", "command"):
        (win / "windows" / folder).mkdir()
    (win / "setup.reg").write_text("REGEDIT4\r\n\r\n[-HKEY_CLASSES_ROOT\\.htm]\r\n")
    export = [r"C:\classes.reg", "/y"]
    assert desktop.tool("reg", "import", r"C:\setup.reg")[0] == 0
    assert desktop.tool("reg", "export", "HKEY_CLASSES_ROOT", *export)[0] == 0
    before = (win / "classes.reg").read_bytes()
    setup = Setup(desktop, win / "setupsrc", path=r"C:\windows\orvtools;c:\windows\COMMAND;C:\windows")
    assert [c["text"] for c in setup.dialog["children"] if c["id"] == EDITOR_BOX] == \
        ['&Install ORVIK.EXE into "c:\\windows\\COMMAND"']
    setup.click(AGENT_BOX)
    assert setup.finish() == []
    assert installed(desktop, win, r"c:\windows\COMMAND") == \
        expected(desktop, r"c:\windows\COMMAND", agent=False, htm=False)
    assert desktop.tool("reg", "export", "HKEY_CLASSES_ROOT", *export)[0] == 0
    assert (win / "classes.reg").read_bytes() == before, "no .htm key: the registry is left as it was"


def test_the_dialog_and_its_dependent_boxes(desktop, win):
    setup = Setup(desktop, win / "setupsrc")
    dialog = setup.dialog
    children = {c["id"]: c for c in dialog["children"]}
    assert dialog["class"] == "#32770" and dialog["owner"] == "0" and 1002 not in children
    assert [children[i]["text"] for i in (*BOXES, IDOK)] == [
        '&Install ORVIK.EXE into "C:\\windows"', 'Install Windows &Agent into "C:\\Program Files\\Orvik"',
        "&Load Orvik Agent at Windows startup", '&Shortcut for Orvik under "Send-To"',
        'Shortcut for Orvik in IExplorer "&Edit | Page"', "OK"]
    assert children[IDOK]["style"] & BS_TYPEMASK == BS_DEFPUSHBUTTON
    assert len([c for c in children.values() if c["class"].lower() == "static"
                and c["style"] & SS_TYPEMASK == SS_ICON]) == 1
    desktop.screenshot("setup-dialog.png")
    # (boxes clicked, {box: (checked, enabled)} after); dependent boxes remember their choice
    for clicks, after in [((), {i: (1, True) for i in BOXES}),
                          ((STARTUP_BOX, AGENT_BOX), {AGENT_BOX: (0, True), STARTUP_BOX: (0, False)}),
                          ((AGENT_BOX, SEND_TO_BOX, EDITOR_BOX, EDITOR_BOX),
                           {STARTUP_BOX: (0, True), SEND_TO_BOX: (0, True), EDIT_BOX: (1, True)})]:
        setup.click(*clicks)
        boxes = setup.boxes()
        assert {i: boxes[i] for i in after} == after, clicks
    assert setup.finish("cancel") == []
    assert installed(desktop, win, r"C:\windows") == expected(desktop, r"C:\windows", agent=False, editor=False)


def test_the_zip_holds_the_programs_as_built_and_a_windows_readme(tmp_path):
    win32 = BUILD / "win32"
    packed = {"OrvSetup.exe": "setup/OrvSetup.exe", "ORVAGENT.EXE": "edition1/OrvAgent.exe",
              "orvprobe.exe": "tools/orvprobe/orvprobe.exe"}
    output = tmp_path / "new folder" / "orvik.zip"  # a folder that does not exist yet
    r = subprocess.run([str(ROOT / "setup" / "make_dist.sh"), str(win32), str(output)],
                       capture_output=True, timeout=120)
    assert r.returncode == 0, r.stderr.decode()
    with zipfile.ZipFile(output) as z:
        assert sorted(z.namelist()) == sorted([*packed, "README.TXT"])
        assert all(z.read(name) == (win32 / built).read_bytes() for name, built in packed.items())
        lines = z.read("README.TXT").split(b"\r\n")
    assert b"\n" not in b"".join(lines) and any(b"orvprobe presence" in line for line in lines)
