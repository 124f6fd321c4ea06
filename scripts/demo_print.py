"""The demo's printing part (printers, a spool name, a sample text to PDF)."""
import os
import shutil
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tools"))
from desktop import pdf_info, pdf_text, printserver  # noqa: E402

SAMPLE = """\
Orvik prints from the console editor
through the Windows agent.

The editor asks the agent for a spool
file name, writes the text there and
sends a print request that names a
printer, the file and a document name.
The agent answers at once, prints the
file with the printer's own font and
deletes the spool file when it is done.

This line is long on purpose, so that it shows how the agent wraps a line of words at the right margin: it breaks at the last blank that still fits and carries on below.
"""


def unix_path(desktop, windows_path):
    """Where a C: or Z: path of the prefix lies on this machine, or None."""
    drive, rest = windows_path[:2].upper(), windows_path[2:].lstrip("\\").replace("\\", "/")
    if drive == "C:":
        return desktop.prefix / "drive_c" / rest
    if drive == "Z:":
        return Path("/") / rest
    return None


def start(desktop):
    """Starts what printing needs before the agent starts; returns a handle with stop()."""
    try:
        server = printserver.start(desktop)
    except (OSError, RuntimeError) as error:
        print(f"No print server for the demo ({error}); printing is left out.")
        return None
    print(f"A private print server runs on {server.socket} with the PDF printers "
          f"{', '.join(server.printers)} (default {server.default}).")
    return server


def show(desktop, server, show_exchange):
    """Drives the print road with orvprobe and prints what happens."""
    if server is None:
        return
    show_exchange("Printer list (request 1)", desktop.send("--code", 1, "--sequence", 0x2001))
    show_exchange("A spool file name (request 3)", desktop.send("--code", 3, "--sequence", 0x2002))

    demo_dir = Path(os.environ.get("ORV_BUILD", "build")) / "demo"
    demo_dir.mkdir(parents=True, exist_ok=True)
    sample = demo_dir / "sample.txt"
    sample.write_text(SAMPLE.replace("\n", "\r\n"))
    before = server.pdfs(server.default)
    code, objects, text = desktop.probe("print", desktop.windows_path(sample), "--printer",
                                        server.default, "--title", "Orvik demo page")
    for obj in objects:
        if obj.get("code") == 5:
            show_exchange(f"Print {sample.name} on {server.default} (orvprobe print: spool name, "
                          "copy, request 5)", obj)
    if code != 0:
        print("   The print request was not accepted:", text.strip().splitlines()[-1:])
        return
    try:
        pdf, = server.wait_pdf(server.default, before=before, timeout=60)
    except AssertionError as error:
        print("   No PDF came out:", str(error).splitlines()[0])
        return
    spool = next((o["reply"]["decoded"]["path"] for o in objects
                  if o.get("code") == 3 and o.get("reply")), None)
    if spool:
        left = unix_path(desktop, spool)
        if left is None or not left.parent.exists():
            state = "lies where this demo cannot look"
        else:
            state = "is still there" if left.exists() else "is gone: the job deleted it"
        print(f"\n== The spool file {spool} {state}")
    kept = demo_dir / "orvik-demo-page.pdf"
    shutil.copyfile(pdf, kept)
    title, pages = pdf_info(kept)
    print(f"\n== The printed document \"{title}\": {kept} ({pages} page(s))")
    printed = pdf_text(kept)
    for line in printed.rstrip().splitlines():
        print("   | " + line.rstrip())
