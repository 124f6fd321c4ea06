"""Fixtures of the end-to-end tests, and the checks every test makes of a
reply as the console editor reads it."""
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
from desktop import CLASS_FIRST, WM_DESTROY, Agent, Desktop, installer  # noqa: E402,F401


ran = []  # what the run's last line says: the programs and the Windows that Wine reported


@pytest.fixture(scope="session")
def desktop():
    d = Desktop().start()
    installer.forget(d)  # the start is a logon: an install a run left would start an agent
    d.end_own_programs()
    yield d
    installer.forget(d)
    version = d.tool("cmd", "/c", "ver")[1].strip() or "an unknown version"
    ran.append(f"Ran the {d.arch[3:]}-bit programs of {d.bin} under {version} ({d.windows}), "
               "as Wine reports it")
    d.stop()


def pytest_unconfigure(config):  # after the counts: the run's last line
    reporter = config.pluginmanager.get_plugin("terminalreporter")
    for line in ran if reporter else ():
        reporter.write_line(line)


@pytest.fixture(autouse=True)
def clean_desktop(request):
    """A test starts with no program of ours running and an empty clipboard:
    they are ended and emptied after each test (Wine's services run on), except
    in modules that share one agent among their tests (marked shared_agent)."""
    yield
    if "desktop" in request.fixturenames and not request.node.get_closest_marker("shared_agent"):
        request.getfixturevalue("desktop").end_own_programs()


@pytest.fixture(scope="module")
def shared_agent(desktop):
    a = Agent(desktop).wait_answering()
    yield a
    a.quit()
    desktop.end_own_programs()


def assert_reply(result, code, size=None):
    reply = result["reply"]
    assert reply is not None, f"no reply; the clipboard holds {result.get('clipboard')}"
    assert bytes.fromhex(reply["header_hex"])[:6] == bytes([0x44, 0x66, 0x77, 0x88, 0x40, 0x01])
    assert (reply["code"], reply["sequence"], reply["block_size"]) == \
        (code, result["sequence"], reply["size"])
    assert size is None or reply["size"] == size
    return reply


def assert_no_reply(result):
    assert result["reply"] is None, f"unexpected reply {result['reply']}"
