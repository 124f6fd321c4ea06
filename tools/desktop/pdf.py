"""What a printed PDF holds, read with poppler's pdfinfo and pdftotext."""
import re
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


def pdf_word_lines(pdf):
    """Every printed line, top to bottom, as (word, x_min, x_max) in points."""
    xhtml = subprocess.run(["pdftotext", "-bbox", str(pdf), "-"], capture_output=True, text=True,
                           check=True).stdout
    lines = []
    for page in xhtml.split("<page ")[1:]:
        rows = {}
        for x0, y0, x1, word in re.findall(
                r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">(.*?)</word>', page):
            word = word.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", '"') \
                       .replace("&apos;", "'").replace("&amp;", "&")
            rows.setdefault(round(float(y0), 1), []).append((word, float(x0), float(x1)))
        lines += [sorted(rows[y], key=lambda w: w[1]) for y in sorted(rows)]
    return lines
