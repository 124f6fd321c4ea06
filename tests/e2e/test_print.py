"""Spool names, the printer list and print jobs through Wine's spooler to a private CUPS
server whose printers write PDF files, read back with pdfinfo and pdftotext; and jobs on
a FILE: port, whose "Print to File" dialog runs on the agent's thread."""
import os
import re
import shutil
import signal
import time
from pathlib import Path

import pytest

from conftest import Agent, assert_reply
from desktop import pdf_info, pdf_text, printserver, ps_to_pdf
from desktop.file_port import TITLE, answer, dialogs, file_port, wait_dialogs, written

pytestmark = pytest.mark.shared_agent
DEFAULT = printserver.DEFAULT
LEFT_MARGIN, RIGHT_MARGIN = 100, 10
PROFILE = r"HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows"


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
def print_agent(desktop, server, spool_folder, tmp_path_factory):
    """One agent for the module, started after the print server (Wine reads
    the printers when a program starts), with TMP in a folder of the test's and
    its current folder in another, where Wine puts a FILE: port's stray output."""
    a = Agent(desktop, tmp=desktop.windows_path(spool_folder),
              cwd=tmp_path_factory.mktemp("agent cwd")).wait_answering()
    yield a
    a.quit()
    desktop.end_own_programs()


@pytest.fixture
def pdf_server(desktop, server, print_agent):
    """The print server, where printed jobs come out as PDF files."""
    if desktop.windows in ("win95", "win98"):
        pytest.skip("Wine reporting Windows 95/98 never hands a finished job to CUPS (a 'Windows"
                    " 4.0' driver environment without its configuration module): no PDF comes out")
    return server


def print_file(desktop, path, title, printer=DEFAULT):
    """orvprobe print, the editor's road; returns (reply code of request 5, spool file)."""
    _, objects, text = desktop.probe("print", desktop.windows_path(path), "--printer", printer,
                                     "--title", title)
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
    _, device = desktop.tool("reg", "query", PROFILE, "/v", "Device")
    assert re.search(rf"Device\s+REG_SZ\s+{server.default},", device)


CHARS = "".join(chr(c) for c in range(33, 127))  # every printable character, in four lines


def test_jobs_print_in_order_every_character_page_and_line_as_the_printer_measures(
        desktop, pdf_server, tmp_path):
    """Pages hold the lines the line height gives; a word longer than a line breaks
    where the printable width (HORZRES less the margins) ends, in "M"s of the
    fixed-pitch font; each spool file is deleted once printed."""
    metrics = desktop.desk("printer-metrics", DEFAULT)[1][0]
    per_page = max(1, metrics["vertres"] // metrics["tm_height"])
    per_line = (metrics["horzres"] - LEFT_MARGIN - RIGHT_MARGIN) / metrics["m_width"]
    long_word = "".join(chr(ord("a") + n % 26) for n in range(int(2.5 * per_line)))
    jobs = {"Full pages (1)": 2 * per_page, "One line over": 2 * per_page + 1, "Long word": 0}
    text = {title: [f"{n:03} {CHARS[n % 4 * 24:][:24]}" for n in range(1, count + 1)]
            for title, count in jobs.items()}
    before, spools = pdf_server.pdfs(DEFAULT), []
    for title, lines in text.items():
        source = tmp_path / f"{len(lines)}.txt"
        source.write_text("\r\n".join(lines) or long_word)
        spools.append(print_file(desktop, source, title))
    assert [code for code, _ in spools] == [6, 6, 6]
    pdfs = pdf_server.wait_pdf(DEFAULT, count=3, before=before)
    for pdf, (title, lines) in zip(pdfs, list(text.items())[:2]):
        pages = -(-len(lines) // per_page)
        assert pdf_info(pdf) == (title, pages), f"{len(lines)} lines at {per_page} a page"
        for p in range(pages):
            printed = [line.strip() for line in pdf_text(pdf, p + 1).rstrip("\n\f").split("\n")]
            assert printed == lines[p * per_page:(p + 1) * per_page], f"{title}, page {p + 1}"
    pieces = pdf_text(pdfs[2], 1).split()
    assert "".join(pieces) == long_word and len(pieces) == 3
    assert all(abs(len(piece) / per_line - 1) < 0.05 for piece in pieces[:2]), (pieces, per_line)
    assert all(gone(spool) for _, spool in spools), "a spool file is left after printing"


def test_a_job_sent_while_a_print_to_file_dialog_is_open_waits_for_the_one_before(
        desktop, pdf_server, tmp_path):
    """StartDoc on a FILE: port runs the "Print to File" dialog on the agent's thread; a job
    sent meanwhile starts after the first has ended: one dialog at a time, each document whole."""
    jobs = {f"Job {n}": [f"job {n} line {i:03}" for i in range(1, 71)] for n in (1, 2)}
    outputs = [tmp_path / f"{title}.ps" for title in jobs]
    with file_port(desktop, "OrvikDraft", tmp_path):
        spools = []
        for title, lines in jobs.items():
            (tmp_path / title).write_text("\r\n".join(lines))
            spools.append(print_file(desktop, tmp_path / title, title, "OrvikDraft")[1])
        for n, out in enumerate(outputs):
            wait_dialogs(desktop)
            assert n or desktop.wait_presence(5), "no answer to presence while the dialog is open"
            open_now = dialogs(desktop)
            assert len(open_now) == 1, f"{len(open_now)} {TITLE} dialogs open at once"
            answer(desktop, open_now[0], out)
            assert written(out), f"nothing written to {out.name}"
    for out, (title, lines) in zip(outputs, jobs.items()):
        pdf = ps_to_pdf(out)
        printed = [line.strip() for line in pdf_text(pdf).split("\n") if line.strip()]
        assert (pdf_info(pdf)[0], printed) == (title, lines) and pdf_info(pdf)[1] > 1
    assert all(gone(spool) for spool in spools), "a spool file is left after printing"


# -- faults of the surroundings; the end of the module: its printers, folder and agent change --

def test_a_removed_printer_tmp_folder_or_a_killed_agent_leave_spool_names_and_service(
        desktop, server, print_agent, spool_folder, tmp_path):
    long_text = tmp_path / "long.txt"
    long_text.write_text("".join(f"Line {n} of a document long enough to be printing a while.\r\n"
                                 for n in range(3000)))
    code, spool = print_file(desktop, long_text, "Removed", "OrvikDraft")
    assert code == 6
    server.lp("lpadmin", "-x", "OrvikDraft")
    assert gone(spool, timeout=60), "the job did not end with its spool file deleted"
    assert desktop.wait_presence(5)

    (desktop.prefix / "drive_c" / "tmp").mkdir(exist_ok=True)
    shutil.rmtree(spool_folder)  # spool names move on to the next folder
    path = assert_reply(desktop.send("--code", 3), 4)["decoded"]["path"]
    assert path.lower().startswith("c:\\tmp\\orv")

    assert print_file(desktop, long_text, "Killed")[0] == 6
    pid, = desktop.pids("OrvAgent.exe")  # not its process here: cmd, which set TMP and started it
    os.kill(pid, signal.SIGKILL)
    Agent(desktop).wait_answering()
    assert_reply(desktop.send("--code", 3), 4)
    assert_reply(desktop.send("--code", 1), 2)
