"""A printer whose port is FILE:, and the "Print to File" dialog it brings up.

As seen with Wine 8: StartDoc (DOCINFO lpszOutput NULL) on a printer whose
port is FILE: runs a modal dialog box on the calling thread before it
returns: "Print to File", class #32770, an edit box (id 201) for the name
and OK (1) and Cancel (2). What the thread has queued is dispatched inside
it; a second such dialog opened there is owned by the first and disables
it. OK with a name that cannot be created brings up a "Local Port" box
("Unable to create the output file.") and leaves the dialog open. Cancel
does not make StartDoc fail (Windows does): the document goes to a file
named "FILE:" in the program's current folder. The file chosen holds the
driver's PostScript, complete once EndDoc has returned.

The port is the Port value of the printer's key: Wine's start-up sync with
CUPS leaves it alone while CUPS has the printer, and a running program sees
a change at its next StartDoc. A program that deleted a DC with a document
still open on it was seen to write every later job for that printer to
"FILE:" in its current folder, the port turned back or not.
"""
import contextlib
import time

from .printserver import complete

PRINTERS_KEY = r"HKLM\System\CurrentControlSet\Control\Print\Printers"
TITLE = "Print to File"
WM_SETTEXT, WM_COMMAND, IDOK, NAME_ID = 0x000C, 0x0111, 1, 201


@contextlib.contextmanager
def file_port(desktop, printer, scratch):
    """The CUPS printer's port is FILE: inside; dialogs a failed test leaves open
    are answered with files in the scratch folder on the way out."""
    key = PRINTERS_KEY + "\\" + printer
    desktop.reg_add(key, "Port", "FILE:")
    try:
        yield
    finally:
        for n in range(6):
            left = dialogs(desktop)
            if not left:
                break
            answer(desktop, left[0], scratch / f"left-open-{n}.ps")
            time.sleep(0.5)
        desktop.reg_add(key, "Port", "CUPS:" + printer)


def dialogs(desktop):
    """The "Print to File" dialogs open now, the topmost first."""
    _, objects, _ = desktop.desk("window-info", "--class", "#32770", "--all")
    return [w for w in objects[0]["windows"] if w["text"] == TITLE] if objects else []


def wait_dialogs(desktop, timeout=20):
    """The dialogs shown, once there is one."""
    end = time.time() + timeout
    while time.time() < end:
        shown = [d for d in dialogs(desktop) if d["visible"]]
        if shown:
            return shown
        time.sleep(0.1)
    raise AssertionError(f"no {TITLE} dialog came up")


def answer(desktop, dialog, path):
    """Types the file's name into the dialog and presses OK."""
    desktop.desk("message", "--hwnd", dialog["hwnd"], "--child-id", NAME_ID, "--msg", WM_SETTEXT,
                 "--text", desktop.windows_path(path))
    desktop.desk("message", "--hwnd", dialog["hwnd"], "--msg", WM_COMMAND, "--wparam", IDOK,
                 "--post")


def written(path, timeout=30):
    """True once the PostScript file ends with %%EOF and holds its size."""
    end, sizes = time.time() + timeout, {}
    while time.time() < end:
        if complete(path, sizes):
            return True
        time.sleep(0.2)
    return False
