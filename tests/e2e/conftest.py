import subprocess
import time

import pytest

from winenv import Desktop

CLASS_FIRST = "Orvik Windows Agent"
CLASS_SECOND = "Quorvane Windows Agent"
WM_DESTROY = 0x0002


RAN = []


@pytest.fixture(scope="session")
def desktop():
    d = Desktop().start()
    RAN.append(f"end-to-end desktop: {d.arch} programs from {d.bin} under {d.wine}")
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


class Agent:
    """A running OrvAgent process."""

    def __init__(self, desktop, edition=1, path=None, cwd=None, env=None):
        self.desktop = desktop
        self.class_name = CLASS_FIRST if edition == 1 else CLASS_SECOND
        self.path = path or desktop.exe("agent" if edition == 1 else "agent2")
        self.process = desktop.start_program(self.path, cwd=cwd, env=env)

    def wait_answering(self, timeout=20):
        end = time.time() + timeout
        while time.time() < end:
            if self.process.poll() is not None:
                raise AssertionError(f"agent exited with {self.process.returncode}")
            code, objects, _ = self.desktop.probe("window-info", "--class", self.class_name)
            if code == 0 and self.desktop.probe("presence", "--timeout", "500")[0] == 0:
                return self
            time.sleep(0.2)
        raise AssertionError("agent does not answer")

    def window(self):
        code, objects, _ = self.desktop.probe("window-info", "--class", self.class_name)
        return objects[0]["window"] if code == 0 else None

    def post(self, message, wparam=0, lparam=0):
        self.desktop.probe("message", "--class", self.class_name, "--msg", message,
                           "--wparam", wparam, "--lparam", lparam, "--post")

    def exit_code(self, timeout=15):
        return self.process.wait(timeout=timeout)

    def quit(self):
        if self.process.poll() is None:
            self.post(WM_DESTROY)
            return self.exit_code()
        return self.process.returncode


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
