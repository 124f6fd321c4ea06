"""OrvSetup.exe on the Wine desktop: its dialog, and what an install puts on
disk, in the registry and in the running processes, and its messages."""
import shutil
import time

import pytest

from conftest import Agent
from desktop.installer import (AGENT, AGENT_BOX, BOXES, EDIT_BOX, EDITOR_BOX, GERMAN_FOLDERS, IDOK,
                               SEND_TO_BOX, SS_ICON, SS_TYPEMASK, STARTUP_BOX, WINE_FOLDERS, Setup,
                               installed, prepare, remove)

BS_TYPEMASK, BS_DEFPUSHBUTTON = 0xF, 0x1
AGENT_MESSAGE = "Can't copy ORVAGENT.EXE. Make sure it isn't installed in the tray."


@pytest.fixture
def win(desktop):
    """A fresh source folder to install from (see prepare); the prefix's C: drive."""
    return prepare(desktop).parent


def expected(editor_dir, installs=True, agent_copied=True):
    editor_path, linked = editor_dir + r"\Orvik.exe", installs and agent_copied
    icon = (AGENT.lower(), 1) if linked else None
    return {"files": ["agent" if linked else None, *(["manual", "editor"] if installs else
                                                     [None, None]), None,
                      "setup" if installs else None],
            "startup": (AGENT.lower(), "WinAgent", None) if linked else None,
            "send_to": (editor_path.lower(), "Orvik", icon) if installs else None,
            "edit": f'"{editor_path}" "%1"' if installs else None,
            "running": [AGENT] if linked else [], "listed": ["Orvik|||Orvik"] if installs else []}


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
    assert installed(desktop, editor_dir) == expected(editor_dir, **outcome)


@pytest.mark.parametrize("folders", [WINE_FOLDERS, GERMAN_FOLDERS], ids=["Wine's", "German"])
def test_the_agent_starts_at_each_logon_from_the_shells_startup_folder(desktop, folders):
    """The shortcuts go to the folders the shell names; a logon (wineboot) starts the agent
    from there, and the removal takes them away again."""
    assert Setup(desktop, prepare(desktop, folders)).finish() == []
    assert installed(desktop, r"C:\windows") == expected(r"C:\windows")
    desktop.end_own_programs()
    desktop.tool("wineboot")
    end = time.time() + 20
    while installed(desktop, r"C:\windows")["running"] != [AGENT] and time.time() < end:
        time.sleep(0.3)
    assert desktop.wait_presence(), "no agent started at the logon"
    remove(desktop, "Yes")
    assert {key: value for key, value in installed(desktop, r"C:\windows").items()
            if key in ("startup", "send_to", "running")} == {"startup": None, "send_to": None,
                                                             "running": []}


def test_installing_over_the_installed_agent_waits_for_it_to_end(desktop, win):
    with desktop.managed_windows():  # the agent takes about 1.5 s to end
        (win / "Program Files" / "Orvik").mkdir(parents=True)
        shutil.copy(desktop.exe("agent"), win / "Program Files" / "Orvik" / "OrvAgent.exe")
        old = Agent(desktop, path=AGENT).wait_answering()
        assert Setup(desktop, win / "setupsrc").finish() == [], "its file was free to be replaced"
        assert old.exit_code() == 0 and desktop.wait_presence()
        assert installed(desktop, r"C:\windows")["running"] == [AGENT]


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
    assert installed(desktop, r"C:\windows") == expected(r"C:\windows", **NOTHING)
