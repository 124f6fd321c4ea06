"""Printing a generated text by the agent (through `orvprobe print`) and by
Wine's notepad (`notepad /p FILE`, its Print dialog confirmed here) on the
same PDF printer of the private print server.

- Own cost: from the request (the agent) or the press of OK in the Print
  dialog (notepad) until the whole job is at the print server: the moment
  the server's copy of the document (its spool file d<job>-001) was last
  written. Wine's spooler hands a job to the server in the printing
  program's EndDoc, so this is the program's whole share; the same point
  for both.
- Peak memory: the printing process's peak resident set, from the kernel
  when it is reaped; each job runs in a fresh process.
- While jobs are timed the printer is stopped, so that no conversion to
  PDF runs beside them; jobs not kept are cancelled. At the end the kept
  jobs are converted one by one; time to the finished PDF = own cost + the
  server's conversion of that job alone (previous PDF, or the restart of
  the printer, to this PDF's last write). Pages are the PDF's.
"""
import math
import random
import time

from common import OUT, Program, agent, background_probe, echo, last_json, probe_json, spread
from desktop import pdf_info
from desktop.printserver import job_number

SIZES = {"100 KB": 100 * 1024, "1 MB": 1 << 20, "5 MB": 5 << 20}
ROUNDS = {"100 KB": 3, "1 MB": 3, "5 MB": 1}  # alternating agent and notepad, 5 MB once
NOTEPAD = r"c:\windows\notepad.exe"
WM_CLOSE = 0x0010
BM_CLICK = 0x00F5


def make_text(size, seed=1995):
    """Lines of words (1 to 14 of 1 to 10 letters), 10% blank lines and 2%
    lines of 120 words, with CR LF line ends; cut to size bytes."""
    rnd = random.Random(seed)
    letters = "abcdefghijklmnopqrstuvwxyz"
    lines, length = [], 0
    while length < size:
        x = rnd.random()
        words = 0 if x < 0.10 else 120 if x > 0.98 else rnd.randint(1, 14)
        line = " ".join("".join(rnd.choices(letters, k=rnd.randint(1, 10))) for _ in range(words))
        lines.append(line + "\r\n")
        length += len(line) + 2
    return "".join(lines)[:size].encode()


class Jobs:
    """The print server's jobs as they arrive."""

    def __init__(self, server):
        self.server = server
        self.spool = server.root / "spool"
        self.seen = set(self.documents())

    def documents(self):
        return [p for p in self.spool.iterdir() if p.name.startswith("d")]

    def next_job(self, timeout):
        """(job number, the time its document was last written)."""
        end = time.time() + timeout
        while time.time() < end:
            fresh = [p for p in self.documents() if p not in self.seen]
            if fresh:
                self.seen.update(fresh)
                return int(fresh[0].name[1:6]), settled(fresh[0]).st_mtime
            time.sleep(0.05)
        raise RuntimeError("no job reached the print server")


def settled(path):
    """The file's state once it has stopped changing for half a second."""
    before = path.stat()
    while True:
        time.sleep(0.5)
        now = path.stat()
        if (now.st_size, now.st_mtime) == (before.st_size, before.st_mtime):
            return now
        before = now


def agent_job(desktop, server, jobs, path):
    subject = agent(desktop).wait_answering()
    out = OUT / "print-probe.out"
    probe = background_probe(desktop, out, "print", desktop.windows_path(path), "--printer", server.default,
                             "--title", path.name, "--direct", "--timeout", 10000)
    job, written = jobs.next_job(timeout=1800)
    probe.wait(timeout=1800)  # orvprobe ends once the agent takes messages again: after the job
    sent = last_json(out)
    if not sent or not sent["reply"] or sent["reply"]["code"] != 6:
        raise RuntimeError(f"the print request was not accepted: {sent}")
    return {"job": job, "cost": written - sent["sent_at"], "peak": subject.end() / 1024}


def notepad_job(desktop, server, jobs, path):
    subject = Program(desktop, NOTEPAD, "Notepad", "/p", desktop.windows_path(path))
    dialog = desktop.wait_window(title="Print", timeout=600000)
    if not dialog:
        raise RuntimeError("notepad's Print dialog did not come")
    ok = next(c["id"] for c in dialog["children"] if c["text"].replace("&", "") == "OK")
    pressed = probe_json(desktop, "message", "--hwnd", dialog["hwnd"], "--child-id", ok, "--msg", BM_CLICK)
    job, written = jobs.next_job(timeout=1800)
    return {"job": job, "cost": written - pressed["at"], "peak": subject.end(WM_CLOSE) / 1024}


def convert(server, kept):
    """Converts the kept jobs one after the other; job -> (seconds, pages)."""
    started = time.time()
    server.lp("cupsenable", server.default)
    pdfs = server.wait_pdf(server.default, count=len(kept), timeout=1800)
    found, previous = {}, started
    for pdf in pdfs:  # in job order: the printer converts one job at a time
        written = pdf.stat().st_mtime
        found[job_number(pdf)[0]] = (written - max(previous, started), pdf_info(pdf)[1])
        previous = written
    return found


def measure(desktop, server, table):
    OUT.mkdir(parents=True, exist_ok=True)
    files = {}
    for label, size in SIZES.items():
        files[label] = OUT / f"text-{label.replace(' ', '').lower()}.txt"
        files[label].write_bytes(make_text(size))
    floor = echo(desktop).wait_answering().end() / 1024
    server.lp("cupsdisable", server.default)
    jobs = Jobs(server)
    runs = {(who, label): [] for who in ("agent", "notepad") for label in SIZES}
    for label in SIZES:
        for r in range(ROUNDS[label]):
            order = ("agent", "notepad") if r % 2 == 0 else ("notepad", "agent")
            for who in order:
                if who == "notepad" and label == "100 KB":
                    continue  # the small file only serves the agent's scaling
                job = (agent_job if who == "agent" else notepad_job)(desktop, server, jobs, files[label])
                job["keep"] = r == 0
                if not job["keep"]:
                    server.lp("cancel", f"{server.default}-{job['job']}", check=False)
                runs[who, label].append(job)
                print(f"  {who} {label}: own cost {job['cost']:.1f} s, peak {job['peak']:.1f} MiB", flush=True)
    kept = [j for js in runs.values() for j in js if j["keep"]]
    converted = convert(server, kept)
    for job in kept:
        job["pdf"], job["pages"] = job["cost"] + converted[job["job"]][0], converted[job["job"]][1]

    for label in ("1 MB", "5 MB"):
        a, n = runs["agent", label], runs["notepad", label]
        table.add(f"print {label}: own cost, to the whole job at the print server", [j["cost"] for j in a],
                  "notepad /p", [j["cost"] for j in n], "s", 1)
        table.add(f"print {label}: to the finished PDF", [a[0]["pdf"]], "notepad /p", [n[0]["pdf"]], "s", 1)
        table.add(f"print {label}: pages", [a[0]["pages"]], "notepad /p", [n[0]["pages"]], "", 0)
        table.add(f"print {label}: own cost per page", [1000 * j["cost"] / a[0]["pages"] for j in a], "notepad /p",
                  [1000 * j["cost"] / n[0]["pages"] for j in n], "ms", 0, target="<= 1")
        table.add(f"print {label}: peak memory of the printing process", [j["peak"] for j in a], "notepad /p",
                  [j["peak"] for j in n], "MiB", 1, target="<= 1")
    scaling(table, runs)
    table.notes.append("Printing: the agent's own cost includes making the printer's device context (loading "
                       "the driver) on the request; notepad makes its device context in the Print dialog, and "
                       "reads the file into its window, before OK is pressed. Wine's own floor for peak "
                       f"memory: the two-step echo, a bare window program, peaks at {floor:.1f} MiB.")
    return spread([j["cost"] for j in runs["agent", "1 MB"]])[0]


def scaling(table, runs):
    """Own cost against size (the exponent of a least-squares fit of the
    logarithms) and peak memory against the smallest file."""
    points = [(SIZES[label], spread([j["cost"] for j in runs["agent", label]])[0]) for label in SIZES]
    xs, ys = [math.log(s) for s, _ in points], [math.log(c) for _, c in points]
    mx, my = sum(xs) / len(xs), sum(ys) / len(ys)
    exponent = sum((x - mx) * (y - my) for x, y in zip(xs, ys)) / sum((x - mx) ** 2 for x in xs)
    one_mb = spread([j["cost"] for j in runs["agent", "1 MB"]])[0]
    for label in ("100 KB", "5 MB"):
        factor = SIZES[label] / SIZES["1 MB"]
        table.add(f"agent's own print cost, {label}", [j["cost"] for j in runs["agent", label]],
                  f"the 1 MB cost x {factor:.3g} (linear)", [one_mb * factor] * ROUNDS[label], "s", 1)
    small = spread([j["peak"] for j in runs["agent", "100 KB"]])[0]
    for label in ("1 MB", "5 MB"):
        table.add(f"agent's peak memory printing {label}", [j["peak"] for j in runs["agent", label]],
                  "the 100 KB job's", [small] * ROUNDS[label], "MiB", 1, target="<= 1")
    table.notes.append(f"Scaling: own print cost ~ size^{exponent:.2f} (least squares over 100 KB, 1 MB, 5 MB; "
                       f"1.00 is linear).")
