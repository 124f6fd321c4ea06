"""OrvSetup on the private desktop: a source folder to install from, the
install dialog driven as a user drives it, the removal started from Wine's
list of programs or by hand, and what an install left on the machine (files,
shortcuts, the .htm Edit command, the running agents, the removal entry)."""
import contextlib
import shutil
import time

import pylnk

from .wine import ended

DIALOG_TITLE, MESSAGE_TITLE, REMOVE_TITLE = "Install Orvik", "Install", "Remove Orvik"
EDITOR_BOX, AGENT_BOX, STARTUP_BOX, SEND_TO_BOX, EDIT_BOX = 1001, 1003, 1004, 1005, 1006
BOXES = (EDITOR_BOX, AGENT_BOX, STARTUP_BOX, SEND_TO_BOX, EDIT_BOX)
BM_CLICK, WM_COMMAND, WM_KEYDOWN, WM_SYSCOMMAND = 0xF5, 0x111, 0x100, 0x112
IDOK, IDCANCEL, VK_ESCAPE, SC_CLOSE = 1, 2, 0x1B, 0xF060
BUTTONS = {"OK": IDOK, "Yes": 6, "No": 7}
SS_TYPEMASK, SS_ICON, HAS_ICON_LOCATION = 0x1F, 0x3, 0x40
# Where Windows keeps programs: ProgramFilesDir of this key names the folder, which is
# "C:\Program Files" on an English Windows (and in Wine's prefix), "C:\Programme" on a German.
PROGRAM_FILES_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion"
PROGRAM_FILES, GERMAN_PROGRAM_FILES = r"C:\Program Files", r"C:\Programme"
ASIDE = "Program Files.aside"  # its Unix name while a German layout has none
AGENT_DIR = PROGRAM_FILES + r"\Orvik"
AGENT, SETUP_COPY = AGENT_DIR + r"\OrvAgent.exe", AGENT_DIR + r"\OrvSetup.exe"
EDIT_KEY = r"HKCR\htmlfile\shell\Edit\Command"
ENTRY_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvik"
# The shell's StartUp and Send To folders (User Shell Folders, read by Wine's shell32 and by
# Windows'), with the shortcut an install puts in each: as a new Wine prefix has them, or
# renamed as on a German Windows. Either must exist, or the shell names none.
SHELL_FOLDERS_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders"
LINKS = {"StartUp": "OrvWinAgent.lnk", "SendTo": "Orvik.lnk"}
WINE_FOLDERS = {"StartUp": r"%USERPROFILE%\AppData\Roaming\Microsoft\Windows\Start Menu\Programs"
                           r"\StartUp",
                "SendTo": r"%USERPROFILE%\AppData\Roaming\Microsoft\Windows\SendTo"}
GERMAN_FOLDERS = {"StartUp": "C:\\windows\\Startmen\u00fc\\Programme\\Autostart",
                  "SendTo": "C:\\windows\\Senden an"}
FIXED_FOLDERS = ("windows/Start Menu/Programs/StartUp", "windows/SendTo")
# The console editor and its manual are not ours: stand-ins whose bytes tell them apart.
STAND_INS = {"editor": b"MZ stand-in console editor\r\n" * 1500,  # over two copy chunks
             "manual": bytes(range(256)) * 80}
# Posted: the install runs inside the click, and a box would hold a sent one.
ENDINGS = {"OK": ("--child-id", IDOK, "--msg", BM_CLICK),
           "cancel": ("--msg", WM_COMMAND, "--wparam", IDCANCEL),
           "escape": ("--child-id", IDOK, "--msg", WM_KEYDOWN, "--wparam", VK_ESCAPE),
           "close box": ("--msg", WM_SYSCOMMAND, "--wparam", SC_CLOSE)}


def unix_path(desktop, path):
    return desktop.prefix / "drive_c" / path[3:].replace("\\", "/")


def shell_folders(desktop, folders=WINE_FOLDERS):
    """Names the shell's StartUp and Send To folders, makes them, and takes any shortcut of
    an install out of them (a logon, which every desktop start makes, would start the agent);
    returns {value name: Unix path}."""
    profile = desktop.tool("cmd", "/c", "echo %USERPROFILE%")[1].strip()
    found = {}
    for name, path in folders.items():
        desktop.reg_add(SHELL_FOLDERS_KEY, name, path, "REG_EXPAND_SZ")
        found[name] = unix_path(desktop, path.replace("%USERPROFILE%", profile))
        found[name].mkdir(parents=True, exist_ok=True)
        (found[name] / LINKS[name]).unlink(missing_ok=True)
    return found


def english_program_files(desktop):
    """Windows keeps programs in C:\\Program Files again, as Wine made the prefix, also when a
    German layout was cut short; there is no C:\\Programme."""
    drive = desktop.prefix / "drive_c"
    if (drive / ASIDE).exists() and not (drive / "Program Files").exists():
        (drive / ASIDE).rename(drive / "Program Files")
    desktop.reg_add(PROGRAM_FILES_KEY, "ProgramFilesDir", PROGRAM_FILES)
    shutil.rmtree(unix_path(desktop, GERMAN_PROGRAM_FILES), ignore_errors=True)


@contextlib.contextmanager
def program_files(desktop, folder=PROGRAM_FILES):
    """Windows keeps programs in folder: ProgramFilesDir names it, it exists, and it is the only
    one (C:\\Program Files is set aside unless it is folder). Yields the agent folder an install
    makes there; everything is put back afterwards."""
    if folder == PROGRAM_FILES:
        yield AGENT_DIR
        return
    drive = desktop.prefix / "drive_c"
    try:
        (drive / "Program Files").rename(drive / ASIDE)
        unix_path(desktop, folder).mkdir()
        desktop.reg_add(PROGRAM_FILES_KEY, "ProgramFilesDir", folder)
        yield folder + r"\Orvik"
    finally:
        english_program_files(desktop)


def forget(desktop):
    """No shortcut of an install left where a logon would start it, the shell's folders as
    Wine names them, and no other folder of a German Windows."""
    shell_folders(desktop)
    english_program_files(desktop)
    shutil.rmtree(desktop.prefix / "drive_c/windows/Senden an", ignore_errors=True)
    shutil.rmtree(desktop.prefix / "drive_c/windows/Startmen\u00fc", ignore_errors=True)


def prepare(desktop, folders=WINE_FOLDERS):
    """No earlier install, nor its removal entry or deletions left for a restart; .htm files
    of class htmlfile, the shell's folders (those given, see shell_folders), and C:\\setupsrc
    with the editor, its manual, the real agent and the installer itself; returns that
    folder."""
    drive = desktop.prefix / "drive_c"
    desktop.shell_folders = shell_folders(desktop, folders)
    for path in ("Program Files/Orvik", "setupsrc", "windows/orvtools", "windows/COMMAND"):
        shutil.rmtree(drive / path, ignore_errors=True)
    for path in ("windows/Orvik.exe", "windows/Orvik.doc",
                 *(f"{folder}/{link}" for folder, link in zip(FIXED_FOLDERS, LINKS.values()))):
        (drive / path).unlink(missing_ok=True)
    for path in (drive / "windows").iterdir():  # a program may have made WININIT.INI in any case
        if path.name.lower() == "wininit.ini":
            path.unlink()
    (drive / "setup.reg").write_text(
        "REGEDIT4\r\n\r\n[-HKEY_CLASSES_ROOT\\htmlfile\\shell\\Edit]\r\n\r\n"
        "[-" + ENTRY_KEY + "]\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager]\r\n"
        "\"PendingFileRenameOperations\"=-\r\n\r\n[HKEY_CLASSES_ROOT\\.htm]\r\n@=\"htmlfile\"\r\n")
    if desktop.tool("reg", "import", r"C:\setup.reg")[0] != 0:
        raise RuntimeError("the .htm file class could not be set")
    for path in ("setupsrc", "windows/orvtools", "windows/COMMAND"):
        (drive / path).mkdir()
    source = drive / "setupsrc"
    (source / "ORVIK.EXE").write_bytes(STAND_INS["editor"])
    (source / "ORVIK.DOC").write_bytes(STAND_INS["manual"])
    shutil.copy(desktop.exe("agent"), source / "ORVAGENT.EXE")
    shutil.copy(desktop.exe("setup"), source / "OrvSetup.exe")
    return source


class Setup:
    """One OrvSetup run, started in the source folder, driven through its dialog."""

    def __init__(self, desktop, source, path=None, args=()):
        self.desktop = desktop
        # Wine gives programs the registry's PATH; a parent shell gives this one its own.
        command = ["cmd", "/c", f"set PATH={path}&& OrvSetup.exe"] if path else \
            [source / "OrvSetup.exe", *args]
        self.process = desktop.start_program(*command, cwd=source)
        self.dialog = desktop.wait_window(15000, title=DIALOG_TITLE)
        if not self.dialog:
            raise AssertionError("no install dialog" + (
                "; " + ended(self.process, "OrvSetup") if self.process.poll() is not None else ""))

    def boxes(self):
        """{box id: (checked, enabled)} as the dialog shows them now."""
        return {c["id"]: (c["checked"], c["enabled"]) for c in
                self.desktop.wait_window(0, title=DIALOG_TITLE)["children"] if c["id"] in BOXES}

    def click(self, *controls):
        for control in controls:
            self.desktop.desk("message", "--title", DIALOG_TITLE, "--child-id", control,
                               "--msg", BM_CLICK)

    def finish(self, how="OK", timeout=30):
        """Ends the dialog and answers the install's message boxes; returns their texts."""
        self.desktop.desk("message", "--title", DIALOG_TITLE, *ENDINGS[how], "--post")
        return answer_boxes(self.desktop, self.process, MESSAGE_TITLE, timeout=timeout)


def answer_boxes(desktop, process, title, answers=(), timeout=30):
    """Answers the message boxes titled title until the process ends: with the
    buttons of answers in turn ("Yes", "No"), then with OK; returns their texts."""
    messages, answers, end = [], list(answers), time.time() + timeout
    while process.poll() is None:
        assert time.time() < end, "the program did not end"
        box = desktop.wait_window(400, title=title, class_="#32770")
        if box:
            messages += [c["text"] for c in box["children"] if c["class"].lower() == "static"
                         and c["style"] & SS_TYPEMASK != SS_ICON and c["text"]]
            label = answers.pop(0) if answers else "OK"
            buttons = [c["text"].replace("&", "") for c in box["children"]
                       if c["id"] == BUTTONS[label]]
            assert box["owner"] == "0" and buttons == [label]
            desktop.desk("message", "--hwnd", box["hwnd"], "--child-id", BUTTONS[label],
                         "--msg", BM_CLICK, "--post")
            while desktop.wait_window(0, hwnd=box["hwnd"]) and time.time() < end:
                time.sleep(0.1)
    assert process.wait(timeout=15) == 0
    return messages


def remove(desktop, *answers, program=None, args=("/uninstall",)):
    """Removes Orvik as Windows' list of programs does (Wine's `uninstaller --remove
    Orvik` runs the entry's UninstallString and waits for it), or with program and
    args, answering its boxes with answers; returns their texts."""
    process = desktop.start_program(program, *args) if program else \
        desktop.start_program("uninstaller", "--remove", "Orvik")
    return answer_boxes(desktop, process, REMOVE_TITLE, answers)


def link(path):
    """(target, description, (icon file, index) or None) of a shortcut, or None."""
    if not path.exists():
        return None
    f = pylnk.file()
    f.open(str(path))
    # Paths compare without case, as Windows does: the shell may store the real spelling.
    icon = (f.icon_location.lower(), f.icon_index) if f.data_flags & HAS_ICON_LOCATION else None
    found = (f.local_path.lower(), f.description, icon)
    f.close()
    return found


def file_paths(editor_dir, agent_dir=AGENT_DIR):
    """The agent and its manual, the editor, a manual beside the editor (none belongs there)
    and the installer's copy."""
    return (agent_dir + r"\OrvAgent.exe", agent_dir + r"\Orvik.doc", editor_dir + r"\Orvik.exe",
            editor_dir + r"\Orvik.doc", agent_dir + r"\OrvSetup.exe")


def installed(desktop, editor_dir, agent_dir=AGENT_DIR):
    """What an install can change: the files of file_paths, each named by its bytes ("agent",
    "editor", "manual", "setup", "other", or None when missing), the two shortcuts, the Edit
    command, the agents running from where they were put, and the entries of Wine's list of
    programs that are Orvik's."""
    names = {v: k for k, v in STAND_INS.items()}
    names[desktop.exe("agent").read_bytes()] = "agent"
    names[desktop.exe("setup").read_bytes()] = "setup"
    unix = [unix_path(desktop, p) for p in file_paths(editor_dir, agent_dir)]
    edit = desktop.tool("reg", "query", EDIT_KEY, "/ve")[1].partition("REG_SZ")[2].strip()
    running = [args[0] for _, args in desktop.processes()
               if args[0].lower().endswith("orvagent.exe")]
    return {"files": [names.get(p.read_bytes(), "other") if p.exists() else None for p in unix],
            "startup": link(desktop.shell_folders["StartUp"] / LINKS["StartUp"]),
            "send_to": link(desktop.shell_folders["SendTo"] / LINKS["SendTo"]),
            "edit": edit or None, "running": running,
            "listed": [line for line in desktop.tool("uninstaller", "--list")[1].splitlines()
                       if "Orvik" in line]}
