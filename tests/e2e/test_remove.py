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
GOES, STAYS = ", and its folder with it if nothing else is in it", "; its folder stays"
WAITS = LATER + GOES
REMOVED, EXCEPT = "Orvik was removed." + WAITS, "Orvik was removed, except for:\n"
LISTED = ("\n\nOrvik stays in the list of programs with what is left, so that removing it again "
          "can finish the job.")
IN_USE, NOT_ORVIKS = r"C:\windows\Orvik.exe: in use, goes when Windows restarts", \
    ": not recognised as Orvik's, left as it is"
MINE, UP = r"C:\My Documents\Orvik.doc", r"C:\Program Files\Orvik\..\..\Data\Orvik.exe"
OTHER_EDIT = r"HKCR\otherfile\shell\Edit\Command"


@pytest.fixture
def win(desktop):
    """A fresh source folder (see prepare) and an Edit command of .htm files before the install."""
    prepare(desktop)
    desktop.tool("reg", "add", EDIT_KEY, "/ve", "/d", BEFORE, "/f")
    desktop.tool("reg", "delete", r"HKCR\otherfile", "/f")
    yield desktop.prefix / "drive_c"
    desktop.reg_add(r"HKCU\Software\Wine", "Version", desktop.windows)


def left(files=(None, None, None, None, "setup"), listed=()):
    """What installed() finds when nothing of the install is left but files (file_paths') and
    the entry in the list of programs when listed."""
    return {**expected(r"C:\windows", installs=False), "edit": BEFORE, "files": list(files),
            "listed": list(listed)}


def removed(desktop):
    """A whole removal's message: Windows 95 and 98 cannot delete a folder at the restart."""
    return REMOVED.replace(GOES, STAYS) if desktop.windows in ("win95", "win98") else REMOVED


def edit_command(desktop, key):
    return desktop.tool("reg", "query", key, "/ve")[1].partition("REG_SZ")[2].strip() or None


def in_use(desktop, win):
    """A real program (notepad) runs as the editor, so that its file is in use."""
    shutil.copy(win / "windows/system32/notepad.exe", win / "windows/Orvik.exe")
    desktop.start_program(r"C:\windows\Orvik.exe")
    assert desktop.wait_window(15000, title="Untitled - Notepad")


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
    elif case == "a file in use":
        in_use(desktop, win)
    elif case == "a record naming the user's files":  # edited by hand, or damaged
        for path in (MINE, r"C:\Data\Orvik.exe"):
            (win / path[3:].replace("\\", "/")).parent.mkdir(parents=True, exist_ok=True)
            (win / path[3:].replace("\\", "/")).write_text("the user's")
        desktop.reg_add(ENTRY_KEY, "File9", MINE)
        desktop.reg_add(ENTRY_KEY, "File10", UP)
    elif case == "another .htm class since":  # another browser took .htm between two installs
        desktop.reg_add(r"HKCR\.htm", "", "otherfile")
        desktop.reg_add(OTHER_EDIT, "", "theirs")
        assert Setup(desktop, win / "setupsrc").finish() == []


# (case, the removal's answers, its messages, what is left, the agent folder after a restart)
CASES = [
    ("Yes", ["Yes"], [QUESTION, REMOVED], left(), ["mine.txt"]),
    ("No", ["No"], [QUESTION], expected(r"C:\windows"), None),
    ("never installed", [], [NONE], left([None] * 5), None),
    ("second removal", [], [NONE], left(), None),
    ("a file gone", ["Yes"], [QUESTION, REMOVED], left(), None),
    ("a file in use", ["Yes"], [QUESTION, "Orvik was removed.\n\n" + IN_USE + WAITS[1:]],
     left([None, None, "other", None, "setup"]), None),
    ("a record naming the user's files", ["Yes"],
     [QUESTION, EXCEPT + MINE + NOT_ORVIKS + "\n" + UP + NOT_ORVIKS + LISTED],
     left(listed=["Orvik|||Orvik"]), None),
    ("another .htm class since", ["Yes"], [QUESTION, REMOVED], left(), None),
    ("another command line", [], [], left([None] * 5), None),
    ("Windows 95", ["Yes"], [QUESTION, f"Orvik was removed.{LATER}; its folder stays"], left(), [])]


@pytest.mark.parametrize("case,answers,messages,remains,restarted", CASES,
                         ids=[c[0] for c in CASES])
def test_a_removal(desktop, win, case, answers, messages, remains, restarted):
    """Run from the list ("Yes"), the setup folder (no install) or the installer's copy."""
    if desktop.windows in ("win95", "win98"):  # no delayed delete of the folder there
        messages = [m.replace(GOES, STAYS) for m in messages]
    before(desktop, win, case)
    if case == "another command line":
        assert Setup(desktop, win / "setupsrc", args=["/foo"]).finish("cancel") == messages
    else:
        source = {"Yes": None, "never installed": win / "setupsrc/OrvSetup.exe"}
        assert remove(desktop, *answers, program=source.get(case, SETUP_COPY)) == messages
    assert installed(desktop, r"C:\windows") == remains
    assert (win / "windows/notepad.exe").exists(), "nothing outside the record is touched"
    if case == "a record naming the user's files":  # still there; unlink fails on a missing one
        for path in (MINE, r"C:\Data\Orvik.exe"):
            (win / path[3:].replace("\\", "/")).unlink()
    assert edit_command(desktop, OTHER_EDIT) == ("theirs" if case == "another .htm class since"
                                                 else None)
    if restarted is not None:  # the restart deletes the copy (and what WININIT.INI names)
        desktop.tool("wineboot", "-r")
        assert [p.name for p in (win / "Program Files/Orvik").iterdir()] == restarted
        assert not (win / "other.tmp").exists()


def test_a_removal_that_leaves_something_can_be_finished_after_the_restart(desktop, win):
    """The editor in use goes at the restart; the manual, read-only, keeps Orvik listed with
    the installer's copy, so that a second removal finishes once it may go."""
    assert Setup(desktop, win / "setupsrc").finish() == []
    in_use(desktop, win)
    manual = win / "Program Files/Orvik/Orvik.doc"
    manual.chmod(0o444)
    assert remove(desktop, "Yes") == [QUESTION, EXCEPT + r"C:\Program Files\Orvik\Orvik.doc: "
                                      "access denied" + LISTED + "\n\n" + IN_USE]
    desktop.end_own_programs()
    desktop.tool("wineboot", "-r")
    assert installed(desktop, r"C:\windows") == left([None, "manual", None, None, "setup"],
                                                      listed=["Orvik|||Orvik"])
    manual.chmod(0o644)
    assert remove(desktop, "Yes") == [QUESTION, removed(desktop)]
    desktop.tool("wineboot", "-r")
    assert installed(desktop, r"C:\windows") == left([None] * 5)


def test_installing_again_before_the_restart_keeps_what_it_installs(desktop, win):
    """The removal's deletions at restart are taken back by the next install: after the restart
    the installer's copy and the agent are there, and Orvik can be removed."""
    assert Setup(desktop, win / "setupsrc").finish() == []
    assert remove(desktop, "Yes") == [QUESTION, removed(desktop)]
    assert Setup(desktop, win / "setupsrc").finish() == []
    desktop.end_own_programs()
    desktop.tool("wineboot", "-r")
    assert installed(desktop, r"C:\windows") == {**expected(r"C:\windows"), "running": []}
    assert remove(desktop, "Yes") == [QUESTION, removed(desktop)]
    assert installed(desktop, r"C:\windows") == left()
