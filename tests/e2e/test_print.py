"""Printing through Wine's spooler to a private CUPS server whose printers
write PDF files: the printer list, print jobs as the editor sends them, and
what ends up on paper, read back with pdfinfo and pdftotext."""
import re
import subprocess
import tempfile
import time
from pathlib import Path

import pytest

from desktop import printserver
from conftest import end_all_programs
from replies import assert_reply
from test_print_spool import AgentWithTmp

pytestmark = pytest.mark.shared_agent

LEFT_MARGIN, RIGHT_MARGIN = 100, 10


@pytest.fixture(scope="module")
def server(desktop):
    s = printserver.start(desktop)
    yield s
    desktop.env.pop("CUPS_SERVER", None)
    s.stop()


@pytest.fixture(scope="module")
def spool_folder(tmp_path_factory):
    return tmp_path_factory.mktemp("print-tmp")


@pytest.fixture(scope="module")
def print_agent(desktop, server, spool_folder):
    """One agent for the module, started after the print server (Wine reads
    the printers when a program starts), with TMP in a folder of the test's."""
    a = AgentWithTmp(desktop, desktop.windows_path(spool_folder), spool_folder.parent / "agent.bat")
    a.wait_answering()
    yield a
    a.quit()
    end_all_programs(desktop)


@pytest.fixture(scope="module")
def metrics(desktop, print_agent):
    code, objects, text = desktop.probe("printer-metrics", printserver.DEFAULT)
    assert code == 0, text
    return objects[0]


# -- helpers ---------------------------------------------------------------

def unix_path(windows_path):
    assert windows_path.upper().startswith("Z:"), windows_path
    return windows_path[2:].replace("\\", "/")


def print_file(desktop, path, printer, title, direct=False):
    """orvprobe print, the editor's road; returns (reply code of request 5, spool file or None)."""
    args = ["print", desktop.windows_path(path), "--printer", printer, "--title", title]
    _, objects, text = desktop.probe(*args, *(["--direct"] if direct else []))
    replies = {o["code"]: o["reply"] for o in objects if o.get("reply")}
    assert 5 in replies, "no reply to the print request: " + text
    spool = unix_path(replies[3]["decoded"]["path"]) if 3 in replies else None
    return replies[5]["code"], spool


def wait_gone(path, timeout=10):
    end = time.time() + timeout
    while time.time() < end and Path(path).exists():
        time.sleep(0.1)
    return not Path(path).exists()


def pdfinfo(pdf):
    text = subprocess.run(["pdfinfo", str(pdf)], capture_output=True, text=True, check=True).stdout
    return dict(line.split(":", 1) for line in text.splitlines() if ":" in line)


def title_of(pdf):
    return pdfinfo(pdf)["Title"].strip()


def pages_of(pdf):
    return int(pdfinfo(pdf)["Pages"])


def page_text(pdf, page):
    return subprocess.run(["pdftotext", "-layout", "-f", str(page), "-l", str(page), str(pdf), "-"],
                          capture_output=True, text=True, check=True).stdout


def printed_lines(pdf):
    """The printed lines of every page, top to bottom, each a list of
    (word, x_min, x_max) in points, read from pdftotext's word boxes."""
    xhtml = subprocess.run(["pdftotext", "-bbox", str(pdf), "-"],
                           capture_output=True, text=True, check=True).stdout
    lines = []
    for page in xhtml.split("<page ")[1:]:
        rows = {}
        for x0, y0, x1, word in re.findall(
                r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">(.*?)</word>', page):
            rows.setdefault(round(float(y0), 1), []).append((unescape(word), float(x0), float(x1)))
        lines += [sorted(rows[y], key=lambda w: w[1]) for y in sorted(rows)]
    return lines


def unescape(word):
    return word.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", '"') \
               .replace("&apos;", "'").replace("&amp;", "&")


# -- the printer list --------------------------------------------------------

def test_the_printer_list_names_both_printers_packed_and_marks_the_default(desktop, server, print_agent):
    reply = assert_reply(desktop.send("--code", 1), 2)
    payload = bytes.fromhex(reply["payload_hex"])
    count = int.from_bytes(payload[0:2], "little")
    default = int.from_bytes(payload[2:4], "little", signed=True)
    # Packed one after the other from offset 4: an extra NUL between two
    # names would show up here as an empty name.
    names = [n.decode() for n in payload[4:].split(b"\0")[:count]]
    assert sorted(names) == sorted(server.printers)
    assert len(payload) >= 100
    assert default >= 0 and names[default] == server.default
    # Wine marks no printer record as the default: the profile names it.
    assert re.search(rf"Device\s+REG_SZ\s+{server.default},", profile_device(desktop))


def profile_device(desktop):
    key = r"HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows"
    with tempfile.TemporaryFile("w+") as out:  # a file, not a pipe: see tools/desktop
        subprocess.run([desktop.wine, "reg", "query", key, "/v", "Device"], env=desktop.env,
                       stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL, timeout=60)
        out.seek(0)
        return out.read()


# -- what reaches paper ---------------------------------------------------------

ALL_PRINTABLE = "".join(chr(c) for c in range(33, 127))
SAMPLE = [
    "Orvik prints this text as it stands.",
    ALL_PRINTABLE[:40],
    ALL_PRINTABLE[40:80],
    ALL_PRINTABLE[80:],
    "",
    "Line 6 comes after an empty line.",
    "The last line has no line break",
]


def test_a_spool_file_prints_under_its_document_name_with_every_character(
        desktop, server, print_agent, tmp_path):
    source = tmp_path / "sample.txt"
    # Each kind of line end the editor may write: CR LF, LF, CR, LF CR.
    ends = ["\r\n", "\n", "\r", "\n\r", "\r\n", "\r\n", ""]
    source.write_bytes("".join(line + end for line, end in zip(SAMPLE, ends)).encode("ascii"))
    before = server.pdfs(printserver.DEFAULT)
    code, spool = print_file(desktop, source, printserver.DEFAULT, "Orvik sample (1)")
    assert code == 6
    pdf, = server.wait_pdf(printserver.DEFAULT, before=before)
    assert title_of(pdf) == "Orvik sample (1)"
    assert pages_of(pdf) == 1
    text = page_text(pdf, 1).rstrip("\n\f").split("\n")
    assert [line.strip() for line in text] == SAMPLE
    assert wait_gone(spool), "the spool file is left after printing"
    assert source.exists(), "the editor's own file is not the agent's to delete"


def test_pages_hold_the_lines_the_line_height_gives_and_jobs_print_in_order(
        desktop, server, print_agent, metrics, tmp_path):
    per_page = max(1, metrics["vertres"] // metrics["tm_height"])
    # Two pages exactly full (no empty third page), then one line more.
    jobs = [("Full pages", 2 * per_page, 2), ("One line over", 2 * per_page + 1, 3)]
    before = server.pdfs(printserver.DEFAULT)
    spools = []
    for title, count, _ in jobs:
        source = tmp_path / f"{count}.txt"
        source.write_text("".join(f"{title} line {n:03}\r\n" for n in range(1, count + 1)))
        code, spool = print_file(desktop, source, printserver.DEFAULT, title)
        assert code == 6
        spools.append(spool)
    pdfs = server.wait_pdf(printserver.DEFAULT, count=2, before=before)
    for pdf, (title, count, pages) in zip(pdfs, jobs):  # in job order
        assert title_of(pdf) == title
        assert pages_of(pdf) == pages, f"{count} lines at {per_page} a page"
        starts = [page_text(pdf, p).split("\n")[0].strip() for p in range(1, pages + 1)]
        assert starts == [f"{title} line {1 + p * per_page:03}" for p in range(pages)]
    assert page_text(pdfs[1], 3).strip() == f"One line over line {2 * per_page + 1:03}"
    assert all(wait_gone(s) for s in spools)


def test_long_lines_wrap_within_the_printable_width(desktop, server, print_agent, metrics, tmp_path):
    """Widths are measured on the PDF: pdftotext's word boxes give each printed
    line's extent in points. The device font is fixed-pitch (checked below:
    narrow and wide letters take the same room), so the pitch in points and
    the device's own width of "M" in dots give the scale from points to
    dots, and every printed line must stay within HORZRES - 110 dots.
    The wrap must also be greedy: the next word would not have fitted."""
    width = metrics["horzres"] - LEFT_MARGIN - RIGHT_MARGIN
    m_width = metrics["m_width"]
    words = [("iiii", "MMMM", "wrap", "at", "blanks", "only", "when", "a", "word", "would", "cross",
              "the", "right", "margin")[n % 14] + str(n) for n in range(40)]
    long_word = "".join(chr(ord("a") + n % 26) for n in range(2 * width // m_width + 7))
    source_lines = [" ".join(words), long_word]
    assert all(len(line) <= 400 for line in source_lines)
    source = tmp_path / "long.txt"
    source.write_text("\r\n".join(source_lines) + "\r\n")
    before = server.pdfs(printserver.DEFAULT)
    code, _ = print_file(desktop, source, printserver.DEFAULT, "Long lines")
    assert code == 6
    pdf, = server.wait_pdf(printserver.DEFAULT, before=before)
    lines = printed_lines(pdf)

    pitches = [(x1 - x0) / len(word) for line in lines for word, x0, x1 in line]
    assert max(pitches) - min(pitches) < 0.02 * min(pitches), "the device font is not fixed-pitch"
    dots_per_point = m_width / (sum(pitches) / len(pitches))
    left = lines[0][0][1]
    for line in lines:
        assert abs(line[0][1] - left) < 0.5, "every printed line starts at the left margin"
        chars = round((line[-1][2] - left) / (sum(pitches) / len(pitches)))
        extent = (line[-1][2] - left) * dots_per_point
        assert extent <= width + chars * 0.5, f"{line} reaches past the printable width"

    texts = [" ".join(w for w, _, _ in line) for line in lines]
    assert "".join(texts).replace(" ", "") == "".join(source_lines).replace(" ", ""), "characters lost"
    split = next(i for i in range(len(texts) + 1) if " ".join(texts[:i]).split() == words)
    word_lines = [t.split() for t in texts[:split]]
    assert len(word_lines) > 1, "the line of words did not wrap"
    for line, following in zip(word_lines, word_lines[1:]):
        with_next = len(" ".join(line)) + 1 + len(following[0])
        assert with_next * m_width > width - with_next * 0.5, f"{following[0]} would have fitted"
    # The word wider than the line breaks hard where the width ends.
    pieces = texts[split:]
    assert "".join(pieces) == long_word and len(pieces) == 3
    for piece in pieces[:-1]:
        assert len(piece) * m_width <= width + len(piece) * 0.5
        assert (len(piece) + 1) * m_width > width - (len(piece) + 1) * 0.5


def test_an_empty_file_is_accepted_prints_no_page_and_is_deleted(desktop, server, print_agent, tmp_path):
    source = tmp_path / "empty.txt"
    source.write_bytes(b"")
    before = server.pdfs(printserver.DEFAULT)
    code, spool = print_file(desktop, source, printserver.DEFAULT, "Nothing at all")
    assert code == 6
    assert wait_gone(spool)
    # Wine still hands the server a job: PostScript without a page, which
    # the server counts as 0 pages. Ghostscript, behind cups-pdf, makes a
    # PDF of one blank page of it.
    pdf, = server.wait_pdf(printserver.DEFAULT, before=before)
    job = printserver.job_number(pdf)[0]
    assert title_of(pdf) == "Nothing at all"
    assert b"%%Page:" not in server.job_document(job)
    assert server.job_pages(job) == 0
    assert pages_of(pdf) == 1 and page_text(pdf, 1).strip() == ""


def test_a_file_that_is_no_spool_file_is_printed_and_left_in_place(desktop, server, print_agent, tmp_path):
    """Sent as raw bytes: the names stand in reverse order in the string
    area and the document name begins right at its start (offset 0)."""
    notes = tmp_path / "notes.txt"
    notes.write_text("Notes stay where they are.\r\n")
    printer, file, document = printserver.DEFAULT, desktop.windows_path(notes), "Notes"
    at_file = len(document) + 1
    at_printer = at_file + len(file) + 1
    offsets = b"".join(n.to_bytes(2, "little") for n in (at_printer, at_file, 0))
    before = server.pdfs(printserver.DEFAULT)
    result = desktop.send("--code", 5, "--hex", "22:" + offsets.hex(), "--str", f"28:{document}",
                          "--str", f"{28 + at_file}:{file}", "--str", f"{28 + at_printer}:{printer}")
    assert_reply(result, 6)
    pdf, = server.wait_pdf(printserver.DEFAULT, before=before)
    assert title_of(pdf) == "Notes"
    assert page_text(pdf, 1).strip() == "Notes stay where they are."
    assert notes.exists()


# -- refusals ------------------------------------------------------------------

def test_a_missing_file_is_refused(desktop, server, print_agent, spool_folder):
    code, _ = print_file(desktop, spool_folder / "orv9999", printserver.DEFAULT, "Missing", direct=True)
    assert code == 99


def test_a_printer_without_a_device_context_is_refused_and_the_file_stays(
        desktop, server, print_agent, spool_folder):
    spool = spool_folder / "orv901"  # a spool name: printing it would delete it
    spool.write_text("Not for a printer that is not there.\r\n")
    code, _ = print_file(desktop, spool, "No Such Printer", "Nowhere", direct=True)
    assert code == 99
    time.sleep(0.5)
    assert spool.exists()


def request_with_offsets(desktop, offsets, strings, size=None):
    args = ["--code", 5, "--hex", "22:" + b"".join(
        (n & 0xFFFF).to_bytes(2, "little") for n in offsets).hex()]
    for at, text in strings:
        args += ["--str", f"{28 + at}:{text}"]
    if size is not None:
        args += ["--size", size, "--block-size", size]
    return desktop.send(*args)


@pytest.mark.parametrize("number,case", [(801, "file-beyond-the-block"), (802, "printer-before-the-block"),
                                         (803, "document-at-the-block-end"), (804, "document-without-its-nul")])
def test_names_that_do_not_lie_within_the_block_are_refused(
        desktop, server, print_agent, spool_folder, number, case):
    spool = spool_folder / f"orv{number}"  # a spool name: printing it would delete it
    spool.write_text("Must not be printed.\r\n")
    printer, file = printserver.DEFAULT, desktop.windows_path(spool)
    at_file, at_doc = len(printer) + 1, len(printer) + 1 + len(file) + 1
    strings = [(0, printer), (at_file, file), (at_doc, "Stray")]
    end = 28 + at_doc + len("Stray") + 1  # payload bytes up to the last NUL
    size = None
    if case == "file-beyond-the-block":
        offsets = (0, 0x7000, at_doc)
    elif case == "printer-before-the-block":
        offsets = (-200, at_file, at_doc)
    elif case == "document-at-the-block-end":
        offsets, size = (0, at_file, end - 28), 26 + end
    else:  # the block ends right after "Stray", before its NUL
        offsets, size = (0, at_file, at_doc), 26 + end - 1
    assert_reply(request_with_offsets(desktop, offsets, strings, size), 99)
    time.sleep(0.5)
    assert spool.exists()
