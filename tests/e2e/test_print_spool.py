"""Spool file names (request 3): each test runs a fresh agent, because the
numbers start again at 2 with every run of the agent."""
import pytest

from conftest import CLASS_FIRST, Agent
from replies import assert_reply


class AgentWithTmp(Agent):
    """The agent started with its own TMP value."""

    def __init__(self, desktop, tmp_value, batch_file):
        self.desktop = desktop
        self.class_name = CLASS_FIRST
        self.path = desktop.exe("agent")
        self.process = desktop.start_with_tmp(self.path, tmp_value, batch_file)


def spool_name(desktop):
    result = desktop.send("--code", 3)
    reply = assert_reply(result, 4)
    name = reply["decoded"]["path"]
    assert bytes.fromhex(reply["payload_hex"])[:len(name) + 1] == name.encode() + b"\0"
    return name


@pytest.fixture
def tmp_folder(tmp_path):
    folder = tmp_path / "windows tmp"
    folder.mkdir()
    return folder


def test_names_count_up_from_2_in_the_tmp_folder_and_are_not_created(desktop, tmp_folder, tmp_path):
    tmp = desktop.windows_path(tmp_folder)
    AgentWithTmp(desktop, tmp, tmp_path / "start.bat").wait_answering()
    assert spool_name(desktop) == tmp + "\\orv2"
    assert spool_name(desktop) == tmp + "\\orv3"
    assert not (tmp_folder / "orv2").exists() and not (tmp_folder / "orv3").exists()


def test_names_that_exist_are_skipped(desktop, tmp_folder, tmp_path):
    (tmp_folder / "orv2").write_text("taken")
    (tmp_folder / "orv4").mkdir()  # a folder of that name is taken too
    tmp = desktop.windows_path(tmp_folder)
    AgentWithTmp(desktop, tmp, tmp_path / "start.bat").wait_answering()
    assert spool_name(desktop) == tmp + "\\orv3"
    assert spool_name(desktop) == tmp + "\\orv5"


@pytest.mark.parametrize("written", ['"{}"', "{}\\"], ids=["in-double-quotes", "trailing-backslash"])
def test_tmp_written_with_quotes_or_a_final_backslash(desktop, tmp_folder, tmp_path, written):
    tmp = desktop.windows_path(tmp_folder)
    AgentWithTmp(desktop, written.format(tmp), tmp_path / "start.bat").wait_answering()
    assert spool_name(desktop) == tmp + "\\orv2"
