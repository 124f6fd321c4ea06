#!/usr/bin/env python3
"""Packs the 32-bit Windows programs for users:

    make_dist.py WIN32_BUILD_DIR OUTPUT_DIR

writes OUTPUT_DIR/orvik-windows-VERSION.zip (VERSION as common/version.h
says) with OrvSetup.exe, the first-edition agent as ORVAGENT.EXE (the name
the installer copies from), orvprobe.exe and README.TXT, and beside it its
SHA-256 in sha256sum's format. One commit gives one zip, byte for byte:
fixed entry order, every entry dated with the last commit's time, no file
attributes, no extra fields.
"""
import hashlib
import re
import subprocess
import sys
import time
import zipfile
from pathlib import Path

SOURCE = Path(__file__).resolve().parents[1]
SHIPPED = [("OrvSetup.exe", "setup/OrvSetup.exe"),
           ("ORVAGENT.EXE", "edition1/OrvAgent.exe"),
           ("orvprobe.exe", "tools/orvprobe/orvprobe.exe")]
UNCOMMITTED_TIME = 1767225600  # 2026-01-01 00:00 UTC, for a copy without git history


def version_text():
    header = (SOURCE / "common/version.h").read_text()
    return re.search(r'^#define ORV_VERSION_TEXT "(.+)"$', header, re.M).group(1)


def last_commit_time():
    try:
        out = subprocess.run(["git", "-C", str(SOURCE), "log", "-1", "--format=%ct"],
                             capture_output=True, text=True, check=True).stdout
        return int(out)
    except (OSError, subprocess.CalledProcessError, ValueError):
        return UNCOMMITTED_TIME


def readme(version):
    text = (SOURCE / "release/dist_readme.txt").read_text().replace("@VERSION@", version)
    return text.replace("\n", "\r\n").encode("ascii")  # Notepad needs CR LF


def entry(name, when):
    info = zipfile.ZipInfo(name, time.gmtime(when)[:6])
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system, info.external_attr = 0, 0x20  # MS-DOS, "archive" only
    return info


def main(build, output):
    version = version_text()
    files = [(name, (build / built).read_bytes()) for name, built in SHIPPED]
    files.append(("README.TXT", readme(version)))
    output.mkdir(parents=True, exist_ok=True)
    archive = output / f"orvik-windows-{version}.zip"
    when = last_commit_time()
    with zipfile.ZipFile(archive, "w") as zf:
        for name, data in files:
            zf.writestr(entry(name, when), data, compresslevel=9)
    digest = hashlib.sha256(archive.read_bytes()).hexdigest()
    archive.with_name(archive.name + ".sha256").write_text(f"{digest}  {archive.name}\n")
    print(f"make_dist: wrote {archive}")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: make_dist.py WIN32_BUILD_DIR OUTPUT_DIR")
    main(Path(sys.argv[1]), Path(sys.argv[2]))
