import subprocess
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
from desktop import CLASS_FIRST, CLASS_SECOND, WM_DESTROY, Agent, Desktop  # noqa: E402,F401


RAN = []


@pytest.fixture(scope="session")
def desktop():
    d = Desktop().start()
    RAN.append(f"end-to-end desktop: {d.arch} programs from {d.bin} under {d.wine}, "
               f"Windows version {d.windows}")
    yield d
    d.stop()


def pytest_terminal_summary(terminalreporter):
    for line in RAN:
        terminalreporter.write_line(line)


def end_all_programs(d):
    subprocess.run(["wineserver", "-k"], env=d.env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)
    subprocess.run(["wineserver", "-w"], env=d.env, timeout=60)


@pytest.fixture(autouse=True)
def clean_desktop(request):
    """A test starts with no program of ours running and an empty clipboard:
    the prefix's Wine server is ended after each test, except in modules that
    share one agent among their tests (marked shared_agent)."""
    yield
    if "desktop" in request.fixturenames and not request.node.get_closest_marker("shared_agent"):
        end_all_programs(request.getfixturevalue("desktop"))


@pytest.fixture
def agent(desktop):
    a = Agent(desktop).wait_answering()
    yield a
    a.quit()


@pytest.fixture(scope="module")
def shared_agent(desktop):
    a = Agent(desktop).wait_answering()
    yield a
    a.quit()
    end_all_programs(desktop)
