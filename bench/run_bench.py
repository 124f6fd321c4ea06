#!/usr/bin/env python3
"""`make bench`: every figure of the agent beside its peer's, measured in
the same run on the same machine, printed as one table (and written to
build/bench-results/table.md).

Sections: the text layout on the host (Google Benchmark), start-up, the
CPU time left idle, the round trip of each request code, resident memory,
the soak (GDI objects and memory over rounds of every event), and
printing. Under
Wine the programs run as the desktop harness picks them (the 32-bit build
where the machine runs 32-bit code), Windows version from ORV_WINDOWS.
"""
import json
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import idle  # noqa: E402
import printing  # noqa: E402
import round_trips  # noqa: E402
import soak  # noqa: E402
import startup  # noqa: E402
from common import OUT, Table, machine  # noqa: E402
from desktop import BUILD, Desktop, printserver  # noqa: E402

LAYOUT_BENCH = BUILD / "bench" / "bench" / "layout_bench"
LAYOUT_ROUNDS = 5


def layout(table):
    """The layout against a counting device beside a plain line split over
    the same 10 MB, repetitions interleaved."""
    out = OUT / "layout.json"
    text = subprocess.run([str(LAYOUT_BENCH), f"--benchmark_repetitions={LAYOUT_ROUNDS}",
                           "--benchmark_enable_random_interleaving=true", f"--benchmark_out={out}",
                           "--benchmark_out_format=json"], capture_output=True, text=True, check=True).stdout
    runs = [b for b in json.loads(out.read_text())["benchmarks"] if b.get("run_type") == "iteration"]
    rate = {name: [b["bytes_per_second"] / 2**20 for b in runs if b["run_name"] == name]
            for name in ("layout_10mb", "split_only_10mb")}
    table.add("text layout, 10 MB on the host (counting device)", rate["layout_10mb"],
              "plain line split", rate["split_only_10mb"], "MB/s", 0)
    table.notes += ["Layout's memory per job: " + line.strip() for line in text.splitlines()
                    if "reading buffer" in line]
    return statistics.median(rate["layout_10mb"])


def main():
    # Everything this run starts (X server, Wine, print server, programs)
    # shares one CPU. A round trip wakes the probe, the Wine server and the
    # agent dozens of times; across the CPUs of a virtual machine each wake-up
    # costs more, by an amount that depends on where the scheduler happens
    # to put each process, and that swamped the differences being measured.
    os.sched_setaffinity(0, {0})
    OUT.mkdir(parents=True, exist_ok=True)
    table = Table()
    started, load_before = time.time(), os.getloadavg()[0]
    layout_rate = layout(table)
    desktop = Desktop().start()
    server = printserver.start(desktop)
    try:
        about = machine(desktop)
        for title, section in (("Start-up", startup.measure), ("Idle", idle.measure),
                               ("Request round trips", round_trips.measure),
                               ("Resident memory", round_trips.resident),
                               ("Soak", lambda d, t: soak.measure(d, server, t))):
            began = time.time()
            print(f"{title}...", end=" ", flush=True)
            section(desktop, table)
            print(f"{time.time() - began:.0f} s", flush=True)
        print("Printing...", flush=True)
        began = time.time()
        one_mb = printing.measure(desktop, server, table)
        print(f"Printing: {time.time() - began:.0f} s", flush=True)
    finally:
        server.stop()
        desktop.stop()
    table.notes.append(f"Split of the agent's own 1 MB print cost: its layout takes {1000 / layout_rate:.0f} ms "
                       f"per MB on the host, {100 / layout_rate / one_mb:.2f}% of the {one_mb:.1f} s job under "
                       "Wine; the rest is GDI, the PostScript driver and the spooler.")
    report = (f"{about}\nLoad average {load_before:.1f} at the start, {os.getloadavg()[0]:.1f} at the end; "
              f"{(time.time() - started) / 60:.0f} minutes.\n\n{table.text()}\n")
    (OUT / "table.md").write_text(report)
    print("\n" + report)


if __name__ == "__main__":
    main()
