"""Printing through Wine's spooler to a private CUPS server whose printers
write PDF files: spool names, the printer list, print jobs as the editor
sends them, and what ends up on paper, read back with pdfinfo and pdftotext."""
import re
import shutil
import time
from pathlib import Path

import pytest

from conftest import Agent, assert_reply
from desktop import pdf_info, pdf_text, pdf_word_lines, printserver

pytestmark = pytest.mark.shared_agent
DEFAULT = printserver.DEFAULT
LEFT_MARGIN, RIGHT_MARGIN = 100, 10


@pytest.fixture(scope="module")
def server(desktop):
    s = printserver.start(desktop)
    yield s
    desktop.env.pop("CUPS_SERVER", None)
    s.stop()


@pytest.fixture(scope="module")
def spool_folder(tmp_path_factory):
    folder = tmp_path_factory.mktemp("print tmp")
    (folder / "orv2").write_text("taken")
    (folder / "orv4").mkdir()  # a folder of that name is taken too
    return folder


@pytest.fixture(scope="module")
def print_agent(desktop, server, spool_folder):
    """One agent for the module, started after the print server (Wine reads
    the printers when a program starts), with TMP in a folder of the test's."""
    a = Agent(desktop, tmp=desktop.windows_path(spool_folder)).wait_answering()
    yield a
    a.quit()
    desktop.end_programs()


@pytest.fixture
def pdf_server(desktop, server, print_agent):
    """The print server, where printed jobs come out as PDF files."""
    if desktop.windows in ("win95", "win98"):
        pytest.skip("Wine reporting Windows 95/98 gives every printer the 'Windows 4.0' driver "
                    "environment, cannot load its configuration module and never hands a finished "
                    "job to CUPS: no PDF comes out (Wine 8.0, 32- and 64-bit)")
    return server


@pytest.fixture(scope="module")
def metrics(desktop, print_agent):
    code, objects, text = desktop.probe("printer-metrics", DEFAULT)
    assert code == 0, text
    return objects[0]


def print_file(desktop, path, title, printer=DEFAULT, direct=False):
    """orvprobe print, the editor's road; returns (reply code of request 5, spool file or None)."""
    _, objects, text = desktop.probe("print", desktop.windows_path(path), "--printer", printer,
                                     "--title", title, *(["--direct"] if direct else []))
    replies = {o["code"]: o["reply"] for o in objects if o.get("reply")}
    assert 5 in replies, "no reply to the print request: " + text
    spool = replies[3]["decoded"]["path"][2:].replace("\\", "/") if 3 in replies else None
    return replies[5]["code"], spool


def gone(path, timeout=10):
    end = time.time() + timeout
    while time.time() < end and Path(path).exists():
        time.sleep(0.1)
    return not Path(path).exists()


def test_spool_names_and_the_printer_list(desktop, server, print_agent, spool_folder):
    tmp = desktop.windows_path(spool_folder)
    for expected in ("orv3", "orv5"):  # numbers from 2, those taken skipped
        reply = assert_reply(desktop.send("--code", 3), 4)
        assert reply["decoded"]["path"] == tmp + "\\" + expected
        assert bytes.fromhex(reply["payload_hex"]).startswith(f"{tmp}\\{expected}\0".encode())
        assert not (spool_folder / expected).exists(), "a name is handed out, not created"

    payload = bytes.fromhex(assert_reply(desktop.send("--code", 1), 2)["payload_hex"])
    count, default = int.from_bytes(payload[0:2], "little"), int.from_bytes(payload[2:4], "little")
    names = [n.decode() for n in payload[4:].split(b"\0")[:count]]  # packed: no empty names
    assert sorted(names) == sorted(server.printers) and names[default] == server.default
    # Wine marks no printer record as the default: the profile names it.
    _, device = desktop.tool("reg", "query", r"HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows",
                             "/v", "Device")
    assert re.search(rf"Device\s+REG_SZ\s+{server.default},", device)


SAMPLE = ["Orvik prints this text as it stands.", *(
    "".join(chr(c) for c in range(33, 127))[n:n + 40] for n in (0, 40, 80)),
    "", "Line 6 comes after an empty line.", "The last line has no line break"]


def test_a_spool_file_prints_with_every_character_and_a_file_of_the_editor_stays(
        desktop, pdf_server, tmp_path):
    source = tmp_path / "sample.txt"
    ends = ["\r\n", "\n", "\r", "\n\r", "\r\n", "\r\n", ""]  # every line end the editor may write
    source.write_bytes("".join(line + end for line, end in zip(SAMPLE, ends)).encode("ascii"))
    notes = tmp_path / "notes.txt"
    notes.write_text("Notes stay where they are.\r\n")
    before = pdf_server.pdfs(DEFAULT)
    code, spool = print_file(desktop, source, "Orvik sample (1)")
    assert code == 6
    assert print_file(desktop, notes, "Notes", direct=True)[0] == 6  # no spool name: not deleted
    sample_pdf, notes_pdf = pdf_server.wait_pdf(DEFAULT, count=2, before=before)
    assert pdf_info(sample_pdf) == ("Orvik sample (1)", 1)
    assert [line.strip() for line in pdf_text(sample_pdf, 1).rstrip("\n\f").split("\n")] == SAMPLE
    assert gone(spool), "the spool file is left after printing"
    assert pdf_info(notes_pdf) == ("Notes", 1)
    assert pdf_text(notes_pdf, 1).strip() == "Notes stay where they are." and notes.exists()


def test_pages_hold_the_lines_the_line_height_gives_and_jobs_print_in_order(
        desktop, pdf_server, metrics, tmp_path):
    per_page = max(1, metrics["vertres"] // metrics["tm_height"])
    jobs = [("Full pages", 2 * per_page, 2), ("One line over", 2 * per_page + 1, 3)]
    before = pdf_server.pdfs(DEFAULT)
    for title, count, _ in jobs:
        source = tmp_path / f"{count}.txt"
        source.write_text("".join(f"{title} line {n:03}\r\n" for n in range(1, count + 1)))
        assert print_file(desktop, source, title)[0] == 6
    for pdf, (title, count, pages) in zip(pdf_server.wait_pdf(DEFAULT, count=2, before=before), jobs):
        assert pdf_info(pdf) == (title, pages), f"{count} lines at {per_page} a page"
        starts = [pdf_text(pdf, p).strip().split("\n") for p in range(1, pages + 1)]
        assert [s[0].strip() for s in starts] == [f"{title} line {1 + p * per_page:03}" for p in range(pages)]
    assert starts[-1] == [f"One line over line {2 * per_page + 1:03}"]


def test_long_lines_wrap_greedily_within_the_printable_width(desktop, pdf_server, metrics, tmp_path):
    """pdftotext's word boxes give each line's extent in points; the device
    font is fixed-pitch (checked), so the pitch and the device's width of "M"
    in dots convert points to dots: no line may pass HORZRES - 110 dots, and
    the next word must not have fitted."""
    width, m_width = metrics["horzres"] - LEFT_MARGIN - RIGHT_MARGIN, metrics["m_width"]
    words = [("iiii", "MMMM", "wrap", "at", "blanks", "only", "when", "a", "word", "would", "cross",
              "the", "right", "margin")[n % 14] + str(n) for n in range(40)]
    long_word = "".join(chr(ord("a") + n % 26) for n in range(2 * width // m_width + 7))
    source = tmp_path / "long.txt"
    source.write_text(" ".join(words) + "\r\n" + long_word + "\r\n")
    before = pdf_server.pdfs(DEFAULT)
    assert print_file(desktop, source, "Long lines")[0] == 6
    lines = pdf_word_lines(pdf_server.wait_pdf(DEFAULT, before=before)[0])

    pitches = [(x1 - x0) / len(word) for line in lines for word, x0, x1 in line]
    assert max(pitches) - min(pitches) < 0.02 * min(pitches), "the device font is not fixed-pitch"
    pitch = sum(pitches) / len(pitches)
    left = lines[0][0][1]
    for line in lines:
        assert abs(line[0][1] - left) < 0.5, "every line starts at the left margin"
        chars = round((line[-1][2] - left) / pitch)
        assert (line[-1][2] - left) * m_width / pitch <= width + chars * 0.5, f"{line} is too wide"
    texts = [" ".join(w for w, _, _ in line) for line in lines]
    split = next(i for i in range(len(texts) + 1) if " ".join(texts[:i]).split() == words)
    assert split > 1, "the line of words did not wrap"
    for line, following in zip(texts[:split], texts[1:split]):
        with_next = len(line) + 1 + len(following.split()[0])
        assert with_next * m_width > width - with_next * 0.5, f"{following} would have fitted"
    pieces = texts[split:]  # the word wider than a line breaks hard where the width ends
    assert "".join(pieces) == long_word and len(pieces) == 3
    assert all(width - (len(p) + 1) * 0.5 < (len(p) + 1) * m_width for p in pieces[:-1])


def test_an_empty_file_is_accepted_prints_no_page_and_is_deleted(desktop, pdf_server, tmp_path):
    source = tmp_path / "empty.txt"
    source.write_bytes(b"")
    before = pdf_server.pdfs(DEFAULT)
    code, spool = print_file(desktop, source, "Nothing at all")
    assert code == 6 and gone(spool)
    # Wine still hands the server a job without a page (0 pages in its log);
    # Ghostscript, behind cups-pdf, makes one blank page of it.
    pdf, = pdf_server.wait_pdf(DEFAULT, before=before)
    job = printserver.job_number(pdf)[0]
    assert b"%%Page:" not in pdf_server.job_document(job) and pdf_server.job_pages(job) == 0
    assert pdf_info(pdf) == ("Nothing at all", 1) and pdf_text(pdf, 1).strip() == ""


@pytest.mark.parametrize("name,printer", [("orv9999", DEFAULT), ("orv901", "No Such Printer")])
def test_a_missing_file_or_printer_is_refused_and_the_file_stays(desktop, server, print_agent,
                                                                  spool_folder, name, printer):
    spool = spool_folder / name
    if name == "orv901":  # a spool name: printing it would delete it
        spool.write_text("Not for a printer that is not there.\r\n")
    assert print_file(desktop, spool, "Refused", printer=printer, direct=True)[0] == 99
    time.sleep(0.5)
    assert spool.exists() == (name == "orv901")


# -- faults of the surroundings; these end the module: they change its printers, folder and agent --

def long_text(path, lines=3000):
    path.write_text("".join(f"Line {n} of a document long enough to be printing for a while.\r\n"
                            for n in range(lines)))
    return path


def test_a_printer_removed_while_its_job_waits_ends_the_job_and_the_agent_serves_on(
        desktop, server, print_agent, tmp_path):
    code, spool = print_file(desktop, long_text(tmp_path / "long.txt"), "Removed", printer="OrvikDraft")
    assert code == 6
    server.lp("lpadmin", "-x", "OrvikDraft")
    assert gone(spool, timeout=60), "the job did not end with its spool file deleted"
    assert desktop.wait_presence(5)


def test_a_removed_tmp_folder_moves_spool_names_to_the_next_folder(desktop, server, print_agent, spool_folder):
    (desktop.prefix / "drive_c" / "tmp").mkdir(exist_ok=True)
    shutil.rmtree(spool_folder)
    assert assert_reply(desktop.send("--code", 3), 4)["decoded"]["path"].lower().startswith("c:\\tmp\\orv")


def test_an_agent_killed_while_printing_is_replaced_by_one_that_serves(desktop, server, print_agent, tmp_path):
    assert print_file(desktop, long_text(tmp_path / "long.txt"), "Killed")[0] == 6
    print_agent.process.kill()
    print_agent.process.wait(timeout=15)
    Agent(desktop).wait_answering()
    assert_reply(desktop.send("--code", 3), 4)
    assert_reply(desktop.send("--code", 1), 2)
