"""The zip for Windows users that setup/make_dist.sh packs from a 32-bit build."""
import subprocess
import zipfile

import pytest

from desktop import BUILD, ROOT

SCRIPT = ROOT / "setup" / "make_dist.sh"
WIN32 = BUILD / "win32"
PACKED = {"OrvSetup.exe": "setup/OrvSetup.exe", "ORVAGENT.EXE": "edition1/OrvAgent.exe",
          "orvprobe.exe": "tools/orvprobe/orvprobe.exe"}


@pytest.mark.skipif(not (WIN32 / "setup" / "OrvSetup.exe").exists(), reason="no 32-bit build")
def test_the_zip_holds_the_programs_as_built_and_a_windows_readme(tmp_path):
    output = tmp_path / "new folder" / "orvik.zip"  # a folder that does not exist yet
    r = subprocess.run([str(SCRIPT), str(WIN32), str(output)], capture_output=True, timeout=120)
    assert r.returncode == 0, r.stderr.decode()
    with zipfile.ZipFile(output) as z:
        assert sorted(z.namelist()) == sorted([*PACKED, "README.TXT"])
        for name, built in PACKED.items():
            assert z.read(name) == (WIN32 / built).read_bytes(), name
        readme = z.read("README.TXT")
    lines = readme.split(b"\r\n")
    assert b"\n" not in b"".join(lines), "every line ends in CR LF"
    assert any(b"orvprobe presence" in line for line in lines)
    assert any(b"ORVIK.EXE and ORVIK.DOC" in line for line in lines)


def test_a_build_without_the_programs_makes_no_zip(tmp_path):
    output = tmp_path / "orvik.zip"
    r = subprocess.run([str(SCRIPT), str(tmp_path), str(output)], capture_output=True, timeout=60)
    assert r.returncode != 0
    assert b"missing" in r.stderr and b"OrvSetup.exe" in r.stderr
    assert not output.exists()
