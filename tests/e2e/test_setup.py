"""OrvSetup.exe on the Wine desktop: its dialog, and what an install puts on
disk, in the registry and in the running processes, and its messages."""
import shutil
import time

import pytest

from conftest import Agent
from desktop.installer import (AGENT, AGENT_BOX, AGENT_DIR, BOXES, EDIT_BOX, EDITOR_BOX,
                               GERMAN_FOLDERS, GERMAN_PROGRAM_FILES, IDOK, PROGRAM_FILES,
                               SEND_TO_BOX, SS_ICON, SS_TYPEMASK, STARTUP_BOX, WINE_FOLDERS, Setup,
                               installed, prepare, program_files, remove, unix_path)

BS_TYPEMASK, BS_DEFPUSHBUTTON = 0xF, 0x1
AGENT_MESSAGE = "Can't copy ORVAGENT.EXE. Make sure it isn't installed in the tray."


@pytest.fixture
def win(desktop):
    """A fresh source folder to install from (see prepare); the prefix's C: drive."""
    return prepare(desktop).parent


def expected(editor_dir, installs=True, agent_copied=True, agent_dir=AGENT_DIR):
    editor_path, linked = editor_dir + r"\Orvik.exe", installs and agent_copied
    agent = agent_dir + r"\OrvAgent.exe"
    icon = (agent.lower(), 1) if linked else None
    return {"files": ["agent" if linked else None, *(["manual", "editor"] if installs else
                                                     [None, None]), None,
                      "setup" if installs else None],
            "startup": (agent.lower(), "WinAgent", None) if linked else None,
            "send_to": (editor_path.lower(), "Orvik", icon) if installs else None,
            "edit": f'"{editor_path}" "%1"' if installs else None,
            "running": [agent] if linked else [], "listed": ["Orvik|||Orvik"] if installs else []}


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


@pytest.mark.parametrize("folders,programs", [(WINE_FOLDERS, PROGRAM_FILES),
                                              (GERMAN_FOLDERS, GERMAN_PROGRAM_FILES)],
                         ids=["Wine's", "German"])
def test_the_agent_starts_at_each_logon_from_the_shells_startup_folder(desktop, folders,
                                                                       programs):
    """The agent goes where Windows keeps programs, the shortcuts to the folders the shell
    names (a German Windows has no C:\\Program Files); a logon (wineboot) starts the agent from
    there, and the removal takes it all away again, the rest at the restart."""
    with program_files(desktop, programs) as agent_dir:
        setup = Setup(desktop, prepare(desktop, folders))
        assert [c["text"] for c in setup.dialog["children"] if c["id"] == AGENT_BOX] == \
            [f'Install Windows &Agent into "{agent_dir}"']
        assert setup.finish() == []
        assert installed(desktop, r"C:\windows", agent_dir) == \
            expected(r"C:\windows", agent_dir=agent_dir)
        desktop.end_own_programs()
        desktop.tool("wineboot")
        end, agent = time.time() + 20, [agent_dir + r"\OrvAgent.exe"]
        while installed(desktop, r"C:\windows", agent_dir)["running"] != agent and \
                time.time() < end:
            time.sleep(0.3)
        assert desktop.wait_presence(), "no agent started at the logon"
        remove(desktop, "Yes")
        desktop.tool("wineboot", "-r")
        assert installed(desktop, r"C:\windows", agent_dir) == \
            expected(r"C:\windows", installs=False)
        folder = unix_path(desktop, agent_dir)
        assert not folder.exists() or not any(folder.iterdir())


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
