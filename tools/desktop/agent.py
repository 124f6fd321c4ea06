"""A running OrvAgent on the private desktop."""
import time

from .wine import ended

CLASS_FIRST = "Orvik Windows Agent"
CLASS_SECOND = "Quorvane Windows Agent"
WM_DESTROY = 0x0002


class Agent:
    """Starts OrvAgent (edition 1 or 2, or the program at path); with tmp, its
    TMP variable is that value, written as given."""

    def __init__(self, desktop, edition=1, path=None, cwd=None, env=None, tmp=None):
        self.desktop = desktop
        self.class_name = CLASS_FIRST if edition == 1 else CLASS_SECOND
        self.path = path or desktop.exe("agent" if edition == 1 else "agent2")
        if tmp is None:
            self.process = desktop.start_program(self.path, cwd=cwd, env=env)
        else:
            batch = desktop.prefix / "drive_c" / f"agent-{time.time_ns()}.bat"
            self.process = desktop.start_with_tmp(self.path, tmp, batch, cwd=cwd)

    def wait_answering(self, timeout=20):
        end = time.time() + timeout
        while time.time() < end:
            if self.process.poll() is not None:
                raise AssertionError(ended(self.process, "the agent"))
            if self.window() and self.desktop.probe("presence", "--timeout", "500")[0] == 0:
                return self
            time.sleep(0.2)
        raise AssertionError("agent does not answer")

    def window(self):
        code, objects, _ = self.desktop.desk("window-info", "--class", self.class_name)
        return objects[0]["window"] if code == 0 else None

    def post(self, message, wparam=0, lparam=0):
        self.desktop.desk("message", "--class", self.class_name, "--msg", message,
                           "--wparam", wparam, "--lparam", lparam, "--post")

    def exit_code(self, timeout=15):
        return self.process.wait(timeout=timeout)

    def quit(self):
        if self.process.poll() is None:
            self.post(WM_DESTROY)
            return self.exit_code()
        return self.process.returncode
