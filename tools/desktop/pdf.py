"""What a printed PDF holds, read with poppler's pdfinfo and pdftotext; PostScript
is made a PDF first with ghostscript's ps2pdf."""
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


def ps_to_pdf(ps):
    """A PostScript file (a FILE: port's output) as a PDF beside it, made by ghostscript."""
    pdf = ps.with_suffix(".pdf")
    subprocess.run(["ps2pdf", str(ps), str(pdf)], capture_output=True, check=True)
    return pdf
