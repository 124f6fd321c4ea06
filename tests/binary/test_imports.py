"""The shipped 32-bit programs read as PE files: i386, a Windows 4.0 GUI or
console program, importing exactly the calls listed in the .imports file beside
this one (DLL names compared without regard to case), so no C runtime DLL. Runs
no Windows code."""
import os
from pathlib import Path

import pefile
import pytest

HERE = Path(__file__).resolve().parent
WIN32 = Path(os.environ.get("ORV_BUILD", HERE.parents[1] / "build")) / "win32"
GUI, CONSOLE = 2, 3
PROGRAMS = [("edition1/OrvAgent.exe", "OrvAgent.imports", GUI),
            ("edition2/OrvAgent.exe", "OrvAgent.imports", GUI),
            ("setup/OrvSetup.exe", "OrvSetup.imports", GUI),
            ("tools/orvprobe/orvprobe.exe", "orvprobe.imports", CONSOLE)]


def listed(name):
    lines = (HERE / name).read_text().splitlines()
    return {(dll.upper(), function) for dll, function in
            (line.split() for line in lines if line.strip() and not line.startswith("#"))}


def imported(pe):
    return {(entry.dll.decode().upper(), call.name.decode() if call.name else f"#{call.ordinal}")
            for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []) for call in entry.imports}


@pytest.mark.parametrize("program,listing,subsystem", PROGRAMS)
def test_program_is_a_windows_95_program_importing_its_list(program, listing, subsystem):
    pe = pefile.PE(str(WIN32 / program))
    header = pe.OPTIONAL_HEADER
    assert (pe.FILE_HEADER.Machine, header.Subsystem) == (0x14C, subsystem), "machine, subsystem"
    assert (header.MajorSubsystemVersion, header.MinorSubsystemVersion,
            header.MajorOperatingSystemVersion, header.MinorOperatingSystemVersion) == (4, 0, 4, 0)
    calls, allowed = imported(pe), listed(listing)
    assert (sorted(calls - allowed), sorted(allowed - calls)) == ([], []), \
        f"{program}: (imported but not in {listing}, in {listing} but not imported)"
