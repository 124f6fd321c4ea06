"""Removing Orvik: the entry an install adds to the list of programs, and what
the removal it runs takes away and leaves."""
import shutil

import pytest

from desktop.installer import EDIT_KEY, ENTRY_KEY, SETUP_COPY, Setup, installed, prepare, remove
from test_setup import expected

NOTEPAD = r"C:\windows\notepad.exe"
BEFORE = f'"{NOTEPAD}" "%1"'
QUESTION = ("Remove Orvik from this computer? Its agent is stopped, and the editor, the agent, "
            "the manual, the shortcuts and the .htm Edit command are removed.")
NONE = "Orvik is not installed: there is nothing to remove."
LATER = f"\n\n{SETUP_COPY}: goes when Windows restarts"
WAITS = LATER + ", and its folder with it if nothing else is in it"
REMOVED, EXCEPT = "Orvik was removed." + WAITS, "Orvik was removed, except for:\n"


@pytest.fixture
def win(desktop):
    """A fresh source folder (see prepare) and an Edit command of .htm files before the install."""
    prepare(desktop)
    desktop.tool("reg", "add", EDIT_KEY, "/ve", "/d", BEFORE, "/f")
    yield desktop.prefix / "drive_c"
    desktop.reg_add(r"HKCU\Software\Wine", "Version", desktop.windows)


def left(files=(None, None, None, None, "setup")):
    """What installed() finds when nothing of the install is left but files (file_paths')."""
    return {**expected(r"C:\windows", installs=False), "edit": BEFORE, "files": list(files)}


def before(desktop, win, case):
    """Installs, unless Orvik is never installed in the case, and sets the case's scene."""
    if case == "Windows 95":  # whose WININIT.INI holds another program's deletion already
        desktop.reg_add(r"HKCU\Software\Wine", "Version", "win95")
        (win / "other.tmp").write_text("")
        (win / "windows/wininit.ini").write_text("[rename]\r\nNUL=C:\\other.tmp\r\n")
    if case not in ("never installed", "another command line"):
        assert Setup(desktop, win / "setupsrc").finish() == []
    if case == "Yes":
        (win / "Program Files/Orvik/mine.txt").write_text("the user's")
    elif case == "second removal":
        remove(desktop, "Yes", program=SETUP_COPY)
    elif case == "a file gone":
        (win / "windows/Orvik.exe").unlink()
    elif case == "a file in use":  # a real program (notepad) runs as the editor
        shutil.copy(win / "windows/system32/notepad.exe", win / "windows/Orvik.exe")
        desktop.start_program(r"C:\windows\Orvik.exe")
        assert desktop.wait_window(15000, title="Untitled - Notepad")
    elif case == "a damaged record":
        desktop.reg_add(ENTRY_KEY, "File9", NOTEPAD)


# (case, the removal's answers, its messages, what is left, the agent folder after a restart)
CASES = [
    ("Yes", ["Yes"], [QUESTION, REMOVED], left(), ["mine.txt"]),
    ("No", ["No"], [QUESTION], expected(r"C:\windows"), None),
    ("never installed", [], [NONE], left([None] * 5), None),
    ("second removal", [], [NONE], left(), None),
    ("a file gone", ["Yes"], [QUESTION, REMOVED], left(), None),
    ("a file in use", ["Yes"], [QUESTION, EXCEPT + r"C:\windows\Orvik.exe: access denied" + WAITS],
     left([None, None, "other", None, "setup"]), None),
    ("a damaged record", ["Yes"],
     [QUESTION, EXCEPT + NOTEPAD + ": not recognised as Orvik's, left as it is" + WAITS], left(),
     None),
    ("another command line", [], [], left([None] * 5), None),
    ("Windows 95", ["Yes"], [QUESTION, f"Orvik was removed.{LATER}; its folder stays"], left(), [])]


@pytest.mark.parametrize("case,answers,messages,remains,restarted", CASES,
                         ids=[c[0] for c in CASES])
def test_a_removal(desktop, win, case, answers, messages, remains, restarted):
    """Run from the list ("Yes"), the setup folder (no install) or the installer's copy."""
    if desktop.windows in ("win95", "win98"):  # no delayed delete of the folder there
        messages = [m.replace(WAITS, LATER + "; its folder stays") for m in messages]
    before(desktop, win, case)
    if case == "another command line":
        assert Setup(desktop, win / "setupsrc", args=["/foo"]).finish("cancel") == messages
    else:
        source = {"Yes": None, "never installed": win / "setupsrc/OrvSetup.exe"}
        assert remove(desktop, *answers, program=source.get(case, SETUP_COPY)) == messages
    assert installed(desktop, r"C:\windows") == remains
    assert (win / "windows/notepad.exe").exists(), "nothing outside the record is touched"
    if restarted is not None:  # the restart deletes the copy (and what WININIT.INI names)
        desktop.tool("wineboot", "-r")
        assert [p.name for p in (win / "Program Files/Orvik").iterdir()] == restarted
        assert not (win / "other.tmp").exists()
