"""What make dist ships: every program carries the version resource that
common/version.h describes and no build time, and the zip holds the 32-bit
build's own files, a README for Windows users and its checksum beside it."""
import hashlib
import os
import re
import subprocess
import sys
import zipfile
from pathlib import Path

import pefile
import pytest

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("ORV_BUILD", ROOT / "build"))
HEADER = (ROOT / "common/version.h").read_text()
TEXT = dict(re.findall(r'^#define (\w+) "(.*)"$', HEADER, re.M))
NUMBERS = tuple(map(int, re.search(r"^#define ORV_VERSION ([\d,]+)$", HEADER, re.M)[1].split(",")))
ZIP = BUILD / "dist" / f"orvik-windows-{TEXT['ORV_VERSION_TEXT']}.zip"
SHIPPED = {"OrvSetup.exe": "setup/OrvSetup.exe", "ORVAGENT.EXE": "edition1/OrvAgent.exe",
           "orvprobe.exe": "tools/orvprobe/orvprobe.exe"}


@pytest.mark.parametrize("program,product", [
    ("edition1/OrvAgent.exe", "ORV_PRODUCT"), ("edition2/OrvAgent.exe", "ORV_PRODUCT_SECOND"),
    ("setup/OrvSetup.exe", "ORV_PRODUCT"), ("tools/orvprobe/orvprobe.exe", "ORV_PRODUCT")])
def test_program_carries_the_version_and_no_build_time(program, product):
    pe = pefile.PE(str(BUILD / "win32" / program))
    assert (pe.FILE_HEADER.TimeDateStamp, pe.DIRECTORY_ENTRY_RESOURCE.struct.TimeDateStamp) == (0, 0)
    fixed = pe.VS_FIXEDFILEINFO[0]
    words = [fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS, fixed.ProductVersionLS]
    assert tuple(n for w in words for n in (w >> 16, w & 0xFFFF)) == NUMBERS * 2
    assert TEXT["ORV_VERSION_TEXT"] == f"{NUMBERS[0]}.{NUMBERS[1]:02}", "version.h disagrees"
    info = {block.Key: block for block in pe.FileInfo[0]}
    assert [v.entry for v in info[b"VarFileInfo"].Var] == [{b"Translation": "0x0409 0x04e4"}]
    [table] = info[b"StringFileInfo"].StringTable
    strings = {k.decode(): v.decode() for k, v in table.entries.items()}
    name, version = Path(program).name, TEXT["ORV_VERSION_TEXT"]
    expected = {"CompanyName": TEXT["ORV_COMPANY"], "LegalCopyright": TEXT["ORV_COPYRIGHT"],
                "ProductName": TEXT[product], "FileVersion": version, "ProductVersion": version,
                "OriginalFilename": name, "InternalName": Path(name).stem}
    assert table.LangID == b"040904E4" and strings.pop("FileDescription")
    assert strings == expected


def test_zip_holds_the_programs_as_built_a_readme_and_its_checksum():
    with zipfile.ZipFile(ZIP) as zf:
        assert zf.namelist() == [*SHIPPED, "README.TXT"]
        for name, built in SHIPPED.items():
            assert zf.read(name) == (BUILD / "win32" / built).read_bytes(), name
        assert len({(i.date_time, i.external_attr, i.extra) for i in zf.infolist()}) == 1
        readme = zf.read("README.TXT").decode("ascii")
    assert "\n" not in readme.replace("\r\n", "") and "\r" not in readme.replace("\r\n", "")
    for words in (TEXT["ORV_VERSION_TEXT"], "Run OrvSetup.exe", "orvprobe presence",
                  "Add/Remove Programs", "OrvSetup.exe /uninstall"):
        assert words in readme, words
    digest = hashlib.sha256(ZIP.read_bytes()).hexdigest()
    assert ZIP.with_name(ZIP.name + ".sha256").read_text() == f"{digest}  {ZIP.name}\n"


def test_a_zip_made_again_later_is_the_same_bytes(tmp_path):
    subprocess.run([sys.executable, ROOT / "release/make_dist.py", BUILD / "win32", tmp_path],
                   check=True, capture_output=True)
    assert (tmp_path / ZIP.name).read_bytes() == ZIP.read_bytes()
