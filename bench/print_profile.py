#!/usr/bin/env python3
"""Where the agent's time goes while it prints: one job of a generated text
(100 KB unless a size in KiB is given) sampled with `perf record -e
cpu-clock` (no hardware counters needed), its samples split by the modules
on their call chains; then the same job once more with its write system
calls counted (`perf stat` on the kernel's syscall tracepoints). Not part
of `make bench`: run it by hand, as root, after `make win32 win64`:

    ORV_BUILD=$PWD/build python3 bench/print_profile.py [KiB]
"""
import re
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from common import OUT, agent, background_probe  # noqa: E402
from desktop import Desktop, pdf_info, printserver  # noqa: E402
from printing import make_text  # noqa: E402

# Modules of the printing road, outermost first; a sample counts for every
# module on its call chain ("children"), the kernel only for its own time.
MODULES = (("OrvAgent.exe", "the agent's own code (request, reading, layout)"),
           ("gdi32.dll", "under the agent's GDI calls"),
           ("wineps.drv", "under the PostScript driver"),
           ("winspool.drv", "under the spooler's WritePrinter"),
           ("[kernel.kallsyms]", "in the kernel (its own time: the write() calls)"))
# Write system calls by number, 32-bit and 64-bit: a 32-bit process's calls
# pass the per-call tracepoints by, so they are counted on raw_syscalls.
WRITES = {"win32": {"write": 4, "writev": 146, "pwrite64": 181},
          "win64": {"write": 1, "writev": 20, "pwrite64": 18}}


def job(desktop, server, path, tool):
    """Prints path with a fresh agent while tool (a command list ending in
    -p) watches it."""
    subject = agent(desktop).wait_answering()
    watcher = subprocess.Popen(tool + [str(subject.pid)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1)
    probe = background_probe(desktop, OUT / "profile-probe.out", "print", desktop.windows_path(path),
                             "--printer", server.default, "--title", "profile", "--direct")
    probe.wait(timeout=3600)
    watcher.send_signal(2)
    watcher.wait(timeout=120)
    subject.end()


def main():
    kib = int(sys.argv[1]) if len(sys.argv) > 1 else 100
    OUT.mkdir(parents=True, exist_ok=True)
    path, samples, calls = OUT / f"profile-{kib}k.txt", OUT / "profile.perf", OUT / "profile.writes"
    path.write_bytes(make_text(kib * 1024))
    desktop = Desktop().start()
    server = printserver.start(desktop)
    try:
        job(desktop, server, path, ["perf", "record", "-e", "cpu-clock", "-g", "-o", str(samples), "-p"])
        counted = WRITES[desktop.arch]
        events = [a for n in counted.values()
                  for a in ("-e", "raw_syscalls:sys_enter", "--filter", f"id == {n}")]
        job(desktop, server, path, ["perf", "stat", *events, "-o", str(calls), "-p"])
        pages = pdf_info(server.wait_pdf(server.default, count=2, timeout=1800)[0])[1]
    finally:
        server.stop()
        desktop.stop()
    report = subprocess.run(["perf", "report", "-i", str(samples), "--children", "--sort", "dso", "-g", "none",
                             "--stdio"], capture_output=True, text=True).stdout
    share = {m.group(3): (float(m.group(1)), float(m.group(2)))
             for m in re.finditer(r"^\s+([\d.]+)%\s+([\d.]+)%\s+(\S+)", report, re.M)}
    print(f"\nThe agent printing {kib} KiB ({pages} pages): its CPU samples")
    for module, what in MODULES:
        children, own = share.get(module, (0.0, 0.0))
        print(f"  {own if module.startswith('[') else children:6.2f}%  {what}")
    counts = [int(m.group(1).replace(",", ""))
              for m in re.finditer(r"^\s+([\d,]+)\s+raw_syscalls:sys_enter", Path(calls).read_text(), re.M)]
    print("\nWrite system calls of the same job:")
    for call, count in zip(counted, counts):
        print(f"  {call:8} {count:9}  ({count / pages:.0f} per page)")


if __name__ == "__main__":
    main()
