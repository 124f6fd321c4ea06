"""What the benchmarks under Wine share: starting and ending the programs
they compare, reading a process's memory, and the table of figures.

Every figure is measured for the agent and for its peer (or limit) in the
same rounds, one after the other, so that load on the machine hits both
alike. A figure is the median of its per-round values, shown with the
lowest and highest round; the ratio is the median of the per-round ratios.
"""
import json
import os
import platform
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tools"))
from desktop import BUILD, CLASS_FIRST, WM_DESTROY, memory_kib  # noqa: E402,F401
from desktop.wine import ended  # noqa: E402

ECHO_CLASS = "Orvik Echo Agent"
OUT = BUILD / "bench-results"


class Program:
    """A program of the prefix started by this benchmark, ended by a message
    to its window; env: its environment, when not the desktop's."""

    def __init__(self, desktop, path, class_name, *args, env=None):
        self.desktop = desktop
        self.class_name = class_name
        self.started = time.time()
        self.process = desktop.start_program(path, *args, env=env)
        self.pid = self.process.pid  # Wine runs the program in this process

    def wait_answering(self, timeout=30):
        end = time.time() + timeout
        while time.time() < end:
            if self.process.poll() is not None:
                raise RuntimeError(ended(self.process, self.class_name))
            if self.desktop.probe("presence", "--timeout", 500)[0] == 0:
                return self
            time.sleep(0.1)
        raise RuntimeError(f"{self.class_name} does not answer")

    def window(self):
        """Its window as orvdesk window-info describes it (hwnd, instance, ...)."""
        code, objects, text = self.desktop.desk("window-info", "--class", self.class_name)
        if code != 0 or not objects:
            raise RuntimeError(f"no window of class {self.class_name}: {text}")
        return objects[0]["window"]

    def end(self, message=WM_DESTROY, timeout=60):
        """Ends the program; returns its peak resident memory in KiB, read
        just before. (The kernel's ru_maxrss at reaping would not do: it
        counts the benchmark's own size, from which the process was forked.)"""
        peak = status_kib(self.pid, "VmHWM")
        self.desktop.desk("message", "--class", self.class_name, "--msg", message, "--post")
        self.process.wait(timeout=timeout)
        return peak


def machine(desktop):
    """The header line of a table: when, on what, with which Wine and programs."""
    cpu = next((line.split(":", 1)[1].strip() for line in Path("/proc/cpuinfo").read_text().splitlines()
                if line.startswith("model name")), platform.machine())
    wine = subprocess.run([desktop.wine, "--version"], capture_output=True, text=True).stdout.strip()
    return (f"{time.strftime('%Y-%m-%d %H:%M')}, {platform.node()}: {os.cpu_count()} x {cpu}, "
            f"{platform.system()} {platform.release()}; the benchmark on CPU 0 alone; {wine}, {desktop.arch} programs "
            f"({desktop.bin}), Windows version {desktop.windows}")


def status_kib(pid, field):
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith(field + ":"):
            return int(line.split()[1])
    raise RuntimeError(f"no {field} for process {pid}")


def agent(desktop):
    return Program(desktop, desktop.exe("agent"), CLASS_FIRST)


def echo(desktop):
    return Program(desktop, desktop.exe("echo_two_step"), ECHO_CLASS)


def probe_json(desktop, *args, timeout=900, program="orvdesk"):
    """orvdesk's (or orvprobe's) last JSON line; fails loudly when there is none."""
    code, objects, text = desktop.probe(*args, timeout=timeout, program=program)
    if not objects:
        raise RuntimeError(f"{program} {' '.join(map(str, args))} printed {text[-500:]!r} (exit {code})")
    return objects[-1]


def background_probe(desktop, out_path, *args):
    """orvprobe running on its own, its output going to a file."""
    with open(out_path, "w") as out:
        return subprocess.Popen([desktop.wine, str(desktop.exe("orvprobe")), *map(str, args)],
                                env=desktop.env, stdin=subprocess.DEVNULL, stdout=out,
                                stderr=subprocess.DEVNULL)


def last_json(path):
    lines = [line for line in Path(path).read_text().splitlines() if line.startswith("{")]
    return json.loads(lines[-1]) if lines else None


def spread(values):
    values = [v for v in values if v is not None]
    return statistics.median(values), min(values), max(values)


def show(values, unit, digits):
    if not values:
        return "-"
    mid, low, high = spread(values)
    text = f"{mid:.{digits}f} {unit}".rstrip()
    if len(values) > 1:
        text += f" ({low:.{digits}f}-{high:.{digits}f})"
    return text


class Table:
    """One row per figure: agent, peer (or limit), ratio, target."""

    def __init__(self):
        self.rows = []
        self.notes = []

    def add(self, figure, agent_values, peer, peer_values, unit, digits=2, target=None):
        pairs = [(a, p) for a, p in zip(agent_values, peer_values) if a is not None and p]
        ratios = [a / p for a, p in pairs]
        self.rows.append((figure, str(len(agent_values)), show(agent_values, unit, digits), peer,
                          show(peer_values, unit, digits), show(ratios, "", 2), target or ""))
        return spread(ratios)[0] if ratios else None

    def text(self):
        head = ("Figure", "Rounds", "OrvAgent", "Peer or limit", "Peer's value", "Ratio", "Target")
        rows = [head] + self.rows
        widths = [max(len(r[i]) for r in rows) for i in range(len(head))]
        line = lambda r: "| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |"  # noqa: E731
        out = [line(head), "|" + "|".join("-" * (w + 2) for w in widths) + "|"]
        out += [line(r) for r in self.rows]
        return "\n".join(out + [""] + self.notes)
