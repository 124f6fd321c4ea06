"""A private CUPS server whose printers write PDF files, for the print tests
and the demo.

cupsd runs with its own configuration, spool, cache, state and logs in a
temporary folder and listens only on a Unix socket there; Wine's spooler
finds it through CUPS_SERVER. Its printers use the cups-pdf backend. That
backend reads its settings only from /etc/cups: the device URI
cups-pdf:/NAME makes it read /etc/cups/cups-pdf-NAME.conf, so each run
writes such a file under a name of its own and removes it at stop().
"""
import atexit
import os
import re
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

PRINTERS = ("OrvikDraft", "OrvikPDF")
# Wine lists printers by name; the default is the second, so that a list
# that merely marks its first entry is caught.
DEFAULT = "OrvikPDF"
PPD_CANDIDATES = ("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd",
                  "/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd",
                  "/usr/share/cups/model/CUPS-PDF_opt.ppd")
CUPS_ETC = Path("/etc/cups")

CUPSD_CONF = """\
Listen {socket}
Browsing No
BrowseLocalProtocols none
DefaultShared No
WebInterface No
LogLevel info
MaxLogSize 0
DefaultAuthType None
PreserveJobFiles Yes
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
"""

CUPS_FILES_CONF = """\
ServerRoot {root}/etc
RequestRoot {root}/spool
CacheDir {root}/cache
StateDir {root}/state
TempDir {root}/tmp
ServerBin /usr/lib/cups
DataDir /usr/share/cups
AccessLog {root}/log/access_log
ErrorLog {root}/log/error_log
PageLog {root}/log/page_log
User lp
Group lp
SystemGroup root
FileDevice No
"""

# Label 2 puts the job number into every file name, so that jobs with the
# same title don't overwrite each other.
CUPS_PDF_CONF = """\
Out {out}
Spool {root}/cups-pdf-spool
Log {root}/log
AnonDirName {out}
Grp root
Label 2
TitlePref 1
LogType 3
"""


def find_ppd():
    for path in PPD_CANDIDATES:
        if Path(path).exists():
            return path
    raise RuntimeError("no CUPS-PDF PPD found (Debian package printer-driver-cups-pdf)")


class PrintServer:
    def __init__(self):
        self.root = Path(tempfile.mkdtemp(prefix="orvcups-"))
        self.socket = self.root / "cups.sock"
        self.run_name = "orv%d_%d" % (os.getpid(), time.time_ns() % 10**9)
        self.printers = list(PRINTERS)
        self.default = DEFAULT
        self.process = None
        self.conf_files = []

    # -- lifetime -------------------------------------------------------
    def start(self):
        os.chmod(self.root, 0o755)  # cupsd's filters run as lp
        for sub in ("etc", "spool", "cache", "state", "tmp", "log", "cups-pdf-spool"):
            (self.root / sub).mkdir()
        os.chmod(self.root / "tmp", 0o1777)  # filters running as lp make their files here
        (self.root / "etc" / "cupsd.conf").write_text(CUPSD_CONF.format(socket=self.socket))
        (self.root / "etc" / "cups-files.conf").write_text(CUPS_FILES_CONF.format(root=self.root))
        for name in self.printers:
            out = self.out_dir(name)
            out.mkdir(parents=True)
            conf = CUPS_ETC / f"cups-pdf-{self.uri_name(name)}.conf"
            conf.write_text(CUPS_PDF_CONF.format(out=out, root=self.root))
            self.conf_files.append(conf)
        self.process = subprocess.Popen(
            ["cupsd", "-f", "-c", str(self.root / "etc" / "cupsd.conf"),
             "-s", str(self.root / "etc" / "cups-files.conf")],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self._wait_socket()
        ppd = find_ppd()
        for name in self.printers:
            self.lp("lpadmin", "-p", name, "-E", "-v", f"cups-pdf:/{self.uri_name(name)}", "-P", ppd)
        self.lp("lpadmin", "-d", self.default)
        return self

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=15)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=10)
        for conf in self.conf_files:
            conf.unlink(missing_ok=True)
        self.conf_files = []
        shutil.rmtree(self.root, ignore_errors=True)

    def _wait_socket(self, timeout=15):
        end = time.time() + timeout
        while time.time() < end:
            if self.process.poll() is not None:
                raise RuntimeError("cupsd ended at start: " + self.error_log())
            if self.socket.exists() and self.lp("lpstat", "-r", check=False).returncode == 0:
                return
            time.sleep(0.1)
        raise RuntimeError("cupsd does not answer: " + self.error_log())

    # -- helpers --------------------------------------------------------
    def env(self):
        env = dict(os.environ)
        env["CUPS_SERVER"] = str(self.socket)
        return env

    def lp(self, *args, check=True):
        r = subprocess.run(list(args), env=self.env(), stdin=subprocess.DEVNULL,
                           capture_output=True, text=True, timeout=30)
        if check and r.returncode != 0:
            raise RuntimeError(f"{' '.join(args)} failed: {r.stderr.strip()}")
        return r

    def uri_name(self, printer):
        return f"{self.run_name}_{printer}"

    def out_dir(self, printer):
        return self.root / "out" / printer

    def error_log(self):
        path = self.root / "log" / "error_log"
        return path.read_text(errors="replace")[-3000:] if path.exists() else "(no log)"

    def pdfs(self, printer):
        return sorted(self.out_dir(printer).glob("*.pdf"), key=job_number)

    def wait_pdf(self, printer, count=1, before=(), timeout=60):
        """Waits for `count` new PDFs (not in `before`) in the printer's out folder,
        each complete (its size steady and ending with %%EOF); returns them in job order."""
        before = set(before)
        end = time.time() + timeout
        sizes = {}
        while time.time() < end:
            fresh = [p for p in self.pdfs(printer) if p not in before]
            if len(fresh) >= count and all(complete(p, sizes) for p in fresh):
                return fresh
            time.sleep(0.2)
        raise AssertionError(f"{count} PDF(s) expected for {printer}, got "
                             f"{[p.name for p in self.pdfs(printer) if p not in before]}; "
                             f"server log:\n{self.error_log()}")


def complete(path, sizes):
    """A PDF is complete once it ends with %%EOF and its size held still between two looks."""
    try:
        size = path.stat().st_size
        tail = path.read_bytes()[-32:]
    except OSError:
        return False
    steady = sizes.get(path) == size
    sizes[path] = size
    return steady and b"%%EOF" in tail


def job_number(path):
    # With Label 2 cups-pdf puts "job_<number>" into every file name.
    found = re.search(r"job_(\d+)", path.name)
    return (int(found.group(1)) if found else 0), path.name


def start(desktop=None):
    """Starts a print server; when a desktop is given, the Wine programs it
    starts from now on find the server through CUPS_SERVER."""
    server = PrintServer()
    atexit.register(server.stop)  # /etc/cups keeps nothing of a run, even one cut short
    server.start()
    if desktop is not None:
        desktop.env["CUPS_SERVER"] = str(server.socket)
    return server

