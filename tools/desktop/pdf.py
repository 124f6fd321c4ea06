"""What a printed PDF holds, read with poppler's pdfinfo and pdftotext."""
import subprocess


def pdf_info(pdf):
    """(title, page count)."""
    text = subprocess.run(["pdfinfo", str(pdf)], capture_output=True, text=True, check=True).stdout
    info = dict(line.split(":", 1) for line in text.splitlines() if ":" in line)
    return info["Title"].strip(), int(info["Pages"])


def pdf_text(pdf, page=None):
    """The text of one page (or all), laid out as printed."""
    pages = ["-f", str(page), "-l", str(page)] if page else []
    return subprocess.run(["pdftotext", "-layout", *pages, str(pdf), "-"], capture_output=True,
                          text=True, check=True).stdout
