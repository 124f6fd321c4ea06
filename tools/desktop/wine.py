"""A private Windows desktop: an Xvfb display, a Wine prefix of its own, and
helpers that start the real programs and drive them with orvprobe (the
editor's side of the clipboard, as shipped) and orvdesk (the desktop's
helper: windows, viewers, load; not shipped). The
demo, the benchmarks and the end-to-end tests all run on it.

The programs are 32-bit Windows programs. Where this machine's kernel can
run 32-bit code, they run as built, in a 32-bit prefix. Where it cannot
(some virtual machines turn 32-bit execution off), Wine cannot run them at
all, so the same sources built for 64-bit Windows run in a 64-bit prefix
instead; ORV_WINE_ARCH=win32|win64 forces the choice.

The Windows version Wine reports is chosen per run with ORV_WINDOWS
(win95, win98, winxp, win10). The default is winxp: under win95 and win98
Wine's spooler never hands a finished job to the print server.
"""
import contextlib
import ctypes
import json
import os
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("ORV_BUILD", ROOT / "build"))
ARTIFACTS = BUILD / "artifacts"
LOGS = BUILD / "e2e" / "logs"  # what Wine printed for each program started, for this run
RUN = BUILD / "e2e" / "run"  # this run's programs, orvdesk output, stop and resume markers

# The programs a run starts, by their place in the build folder.
PROGRAMS = {
    "agent": "edition1/OrvAgent.exe",
    "agent2": "edition2/OrvAgent.exe",
    "orvprobe": "tools/orvprobe/orvprobe.exe",
    "orvdesk": "tools/orvdesk/orvdesk.exe",
    "setup": "setup/OrvSetup.exe",
    "echo_two_step": "bench/echo/echo_two_step.exe",
    "echo_inline": "bench/echo/echo_inline.exe",
}


ADDR_NO_RANDOMIZE = 0x0040000


def fixed_address_layout():
    """Every program started from this process on gets the same address layout.
    Debian's 64-bit Wine 8 has no preloader to keep Windows' fixed places free:
    its loader is linked at 0x7d000000, and the kernel puts the C heap anywhere
    in the 1 GiB above it. About one start in a few thousand then finds its
    heap where the shared user data must go (0x7ffe0000) and ends at once with
    exit code 1 ("failed to map the shared user data"). Without randomisation
    the heap starts right after the loader, 47 MiB below that place."""
    libc = ctypes.CDLL(None, use_errno=True)
    current = libc.personality(0xFFFFFFFF)
    if current == -1 or libc.personality(current | ADDR_NO_RANDOMIZE) == -1:
        raise OSError(ctypes.get_errno(), "personality")


def can_run_32bit():
    """True when the kernel executes 32-bit x86 programs (Wine's 32-bit loader)."""
    loader = Path("/usr/lib/wine/wine")
    if not loader.exists():
        return False
    try:
        r = subprocess.run([str(loader), "--version"], capture_output=True, timeout=30)
    except OSError:  # ENOEXEC: no 32-bit execution here
        return False
    return r.returncode == 0


WINDOWS_VERSIONS = ("win95", "win98", "winxp", "win10")
DEFAULT_WINDOWS = "winxp"


def windows_version():
    version = os.environ.get("ORV_WINDOWS", DEFAULT_WINDOWS)
    if version not in WINDOWS_VERSIONS:
        raise ValueError(f"ORV_WINDOWS={version}: expected one of {', '.join(WINDOWS_VERSIONS)}")
    return version


def wine_arch():
    forced = os.environ.get("ORV_WINE_ARCH")
    if forced in ("win32", "win64"):
        return forced
    return "win32" if can_run_32bit() else "win64"


class Desktop:
    """Xvfb, a Wine prefix and the programs under test, for one test run."""

    def __init__(self, arch=None, windows=None):
        self.arch = arch or wine_arch()
        self.windows = windows or windows_version()
        self.bin = BUILD / self.arch
        self.programs = RUN / "programs"
        self.prefix = BUILD / "e2e" / ("prefix-" + self.arch)
        self.wine = "/usr/lib/wine/wine" if self.arch == "win32" else "/usr/lib/wine/wine64"
        self.xvfb = None
        self.display = None
        self.env = None

    # -- lifetime -------------------------------------------------------
    def start(self):
        fixed_address_layout()
        r, w = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(r, 16)
            if not chunk:
                raise RuntimeError("Xvfb did not start")
            number += chunk
        os.close(r)
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ)
        self.env.update({
            "DISPLAY": self.display,
            "WINEPREFIX": str(self.prefix),
            "WINEARCH": self.arch,
            "WINEDEBUG": "-all,err+all",  # Wine's errors only, into each program's log
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            # Unix file names in UTF-8: with LC_ALL=C Wine can neither see nor make a folder
            # such as a German Windows's "Startmen\u00fc".
            "LC_ALL": "C.UTF-8",
        })
        if not (self.prefix / "system.reg").exists():
            self.prefix.parent.mkdir(parents=True, exist_ok=True)
            subprocess.run([self.wine, "wineboot", "-i"], env=self.env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=180)
            # Wine draws the window captions itself: no window manager runs. Wine's own
            # programs, started while the prefix was made, run on without this setting, and
            # then every start and exit of an agent takes seconds longer: they start again.
            self.reg_add(r"HKCU\Software\Wine\X11 Driver", "Managed", "N")
            self.end_programs()
        subprocess.run([self.wine, "wineboot"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=180)
        for folder in (LOGS, RUN):
            shutil.rmtree(folder, ignore_errors=True)
            folder.mkdir(parents=True)
        self.copy_programs()
        self.reg_add(r"HKCU\Software\Wine", "Version", self.windows)
        return self

    def stop(self):
        if self.env:
            self.end_programs()
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(timeout=10)

    def end_programs(self):
        """Ends every program of the prefix, Wine's own included."""
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=60)

    def end_own_programs(self, timeout=30):
        """Kills every program of the prefix but Wine's own services and empties
        the clipboard: what runs next starts as on a fresh desktop, without
        waiting for Wine's services to start again."""
        ours = {pid for pid, args in self.processes() if program_name(args) not in WINE_SERVICES}
        for pid in ours:
            with contextlib.suppress(ProcessLookupError):
                os.kill(pid, signal.SIGKILL)
        end = time.time() + timeout
        while ours & {pid for pid, _ in self.processes()}:
            if time.time() > end:
                raise RuntimeError(f"programs {sorted(ours)} did not end")
            time.sleep(0.05)
        code, _, text = self.probe("clear")
        if code != 0:
            raise RuntimeError("the clipboard could not be emptied: " + text)

    @contextlib.contextmanager
    def managed_windows(self):
        """Wine's default managed windows, as a new prefix has them, with no
        window manager running: a program that ends then takes about 1.5 s
        longer to go away. A program keeps the setting it started with, so
        every program is ended on the way in and out."""
        self.tool("reg", "delete", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/f")
        self.end_programs()
        try:
            yield self
        finally:
            self.reg_add(r"HKCU\Software\Wine\X11 Driver", "Managed", "N")
            self.end_programs()

    # -- programs -------------------------------------------------------
    def copy_programs(self):
        """The run starts copies of the programs, made once here. A build in the
        same tree while the run goes on (the benchmark takes a quarter of an
        hour) would otherwise relink them under it: the linker leaves a program
        empty for a moment (tens of milliseconds, more on a busy machine), and
        Wine ends a start that meets it at once, with exit code 1 and no word.
        A program left empty by a build that is still writing it is refused
        here instead. ORV_AGENT names another OrvAgent.exe to run as the first
        edition: an earlier build, measured by the same tests."""
        for name, place in PROGRAMS.items():
            built, copy = self.bin / place, self.programs / place
            if name == "agent" and os.environ.get("ORV_AGENT"):
                built = Path(os.environ["ORV_AGENT"])
            if not built.exists():
                continue
            if built.stat().st_size == 0:
                raise RuntimeError(f"{built} is empty: is a build writing it?")
            copy.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(built, copy)

    def exe(self, name):
        return self.programs / PROGRAMS[name]

    def reg_add(self, key, name, value, kind="REG_SZ"):
        code, text = self.tool("reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f")
        if code != 0:
            raise RuntimeError(f"reg add {key} {name} failed: {text}")

    def tool(self, *args, timeout=60):
        """Runs a Wine tool (reg, cmd, ...); returns (exit code, what it printed)."""
        with tempfile.TemporaryFile("w+") as out:
            r = subprocess.run([self.wine, *map(str, args)], env=self.env, stdin=subprocess.DEVNULL,
                               stdout=out, stderr=subprocess.DEVNULL, timeout=timeout)
            out.seek(0)
            return r.returncode, out.read()

    # Output goes to files, never pipes: Wine's own helper processes (the
    # server, explorer) may inherit a pipe and hold it open long after the
    # program itself has ended.
    def start_program(self, path, *args, cwd=None, env=None):
        """Starts a program; what Wine prints for it goes to process.log (see ended)."""
        log = LOGS / f"{Path(str(path)).name}-{time.time_ns()}.log"
        with open(log, "w") as err:
            process = subprocess.Popen([self.wine, str(path), *map(str, args)], env=env or self.env,
                                       cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                       stderr=err)
        process.log = log
        return process

    def start_with_tmp(self, program, tmp_value, batch_file, cwd=None):
        """Starts a Windows program whose TMP is tmp_value, written as given
        (quotes included). Wine takes TMP from the registry, not from the Unix
        environment, so a batch file sets it and then runs the program; cmd
        waits for the program, so the returned process lasts as long as it."""
        batch_file.write_text(f"@set TMP={tmp_value}\r\n@{self.windows_path(program)}\r\n")
        return self.start_program("cmd", "/c", self.windows_path(batch_file), cwd=cwd)

    def wait_presence(self, timeout=20):
        """True once an agent answers a presence check."""
        end = time.time() + timeout
        while time.time() < end:
            if self.probe("presence", "--timeout", 500)[0] == 0:
                return True
            time.sleep(0.2)
        return False

    def pids(self, name):
        """The process ids of the programs of this prefix with that file name."""
        return [pid for pid, args in self.processes() if program_name(args) == name.lower()]

    def processes(self):
        """(process id, command line) of each live process of this prefix; one
        that has ended but is not yet reaped has no environment and is left out."""
        found, mine = [], b"WINEPREFIX=" + str(self.prefix).encode()
        for entry in Path("/proc").iterdir():
            try:
                if entry.name.isdigit() and mine in (entry / "environ").read_bytes().split(b"\0"):
                    args = (entry / "cmdline").read_bytes().split(b"\0")
                    found.append((int(entry.name), [a.decode(errors="replace") for a in args if a]))
            except OSError:
                continue
        return found

    def probe(self, *args, timeout=60, program="orvprobe"):
        """Runs orvprobe once; returns (exit code, JSON objects it printed, text)."""
        with tempfile.TemporaryFile("w+") as out:
            r = subprocess.run([self.wine, str(self.exe(program)), *map(str, args)],
                               env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                               stderr=subprocess.DEVNULL, timeout=timeout)
            out.seek(0)
            text = out.read()
        return r.returncode, parse_lines(text), text

    def desk(self, *args, timeout=60):
        """Runs orvdesk once, as probe runs orvprobe."""
        return self.probe(*args, timeout=timeout, program="orvdesk")

    def wait_window(self, timeout=8000, **what):
        """The first shown window with the given title, class or hwnd, as
        orvdesk describes it, once there within timeout ms; else None."""
        args = [a for k, v in what.items() for a in (f"--{k.replace('_', '')}", v)]
        code, objects, _ = self.desk("wait-window", *args, "--timeout", timeout)
        return objects[0]["window"] if code == 0 else None

    def click(self, window, *labels):
        """Clicks the first button of the window labelled one of labels (& ignored)."""
        buttons = {c["text"].replace("&", ""): c["id"] for c in window["children"]
                   if c["class"].lower() == "button"}
        button = next(buttons[label] for label in labels if label in buttons)
        self.desk("message", "--hwnd", window["hwnd"], "--child-id", button, "--msg", 0x00F5)

    def send(self, *args, **kw):
        """One request; returns orvprobe's JSON result (reply is None when none came)."""
        code, objects, text = self.probe("send", *args, **kw)
        assert objects, "orvprobe printed nothing: " + text
        return objects[-1]

    def start_desk(self, *args):
        """A long-running orvdesk (watch, window, hold, batch); its JSON lines are read with ProbeStream.
        It is told to stop through a file, so that it leaves the viewer chain in order."""
        stamp = time.time_ns()
        stop_file = RUN / f"probe-{stamp}.stop"
        out_path = RUN / f"probe-{stamp}.out"
        with open(out_path, "a") as out:
            process = subprocess.Popen(
                [self.wine, str(self.exe("orvdesk")), *map(str, args),
                 "--stop-file", self.windows_path(stop_file)],
                env=self.env, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL)
        return ProbeStream(process, stop_file, out_path)

    def gdi_objects(self, *args):
        """orvdesk gdi-objects with these arguments (--pid N, --class C, ...):
        the GDI objects the process holds, {"total": n, "stock": n, kind: n, ...}."""
        code, objects, text = self.desk("gdi-objects", *args)
        if code != 0 or not objects or not objects[-1].get("gdi_objects"):
            raise RuntimeError(f"orvdesk gdi-objects {' '.join(map(str, args))}: {text.strip()}")
        return objects[-1]["gdi_objects"]

    def screenshot(self, name):
        ARTIFACTS.mkdir(parents=True, exist_ok=True)
        path = ARTIFACTS / name
        subprocess.run(["import", "-display", self.display, "-window", "root", str(path)],
                       check=True, timeout=60)
        return path

    def windows_path(self, path):
        """The Windows name of a Unix path (Wine maps / to Z:)."""
        return "Z:" + str(path).replace("/", "\\")


# Wine's own programs, which a prefix keeps running between the programs it runs.
WINE_SERVICES = {"wineserver", "wineserver64", "services.exe", "winedevice.exe", "plugplay.exe",
                 "explorer.exe", "svchost.exe", "rpcss.exe"}


def ended(process, what):
    """How a program started with start_program has ended: its exit code and what Wine printed."""
    printed = process.log.read_text(errors="replace").strip() if process.log.exists() else ""
    return (f"{what} ended with exit code {process.returncode}; " +
            (f"Wine printed:\n{printed[-3000:]}" if printed else "Wine printed nothing"))


def program_name(args):
    return args[0].replace("\\", "/").rsplit("/", 1)[-1].lower() if args else ""


def parse_lines(text):
    objects = []
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("{"):
            objects.append(json.loads(line))
    return objects


class ProbeStream:
    """Reads the JSON lines of a running orvdesk as they come."""

    def __init__(self, process, stop_file, out_path):
        self.process = process
        self.stop_file = stop_file
        self.out_path = out_path
        self.seen = []

    def poll(self):
        text = self.out_path.read_text()
        complete = text[:text.rfind("\n") + 1]
        self.seen = parse_lines(complete)
        return self.seen

    def wait_for(self, predicate, timeout=10.0):
        end = time.time() + timeout
        while time.time() < end:
            for obj in self.poll():
                if predicate(obj):
                    return obj
            time.sleep(0.05)
        return None

    def settle(self, seconds=0.5):
        time.sleep(seconds)
        return self.poll()

    def stop(self):
        self.stop_file.touch()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait(timeout=10)
        self.stop_file.unlink(missing_ok=True)
        seen = self.poll()
        self.out_path.unlink(missing_ok=True)
        return seen


def memory_kib(pid):
    """Anonymous resident memory of a process, read from outside it."""
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("RssAnon:"):
            return int(line.split()[1])
    raise RuntimeError("no RssAnon for " + str(pid))
