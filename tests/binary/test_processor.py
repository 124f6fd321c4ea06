"""The programs in the zip run on the processor Windows 95 was sold for, the
i386: a disassembly of each finds no instruction that came later (486:
bswap, cmpxchg, xadd; Pentium: cpuid, rdtsc, cmpxchg8b; Pentium Pro: cmov,
fcmov, fcomi, fucomi, the multi-byte nop, ud2, sysenter; MMX and SSE
registers). A static library built for a newer processor shows up here too.
Runs no Windows code."""
import re
import subprocess
import zipfile
from collections import Counter

import pytest

from test_dist import SHIPPED, ZIP

LATER = re.compile(r"^(cmov\w+|fcmov\w+|f[u]?comip?|nop[wl]|cpuid|rdtsc|rdtscp|rdpmc|rdmsr|wrmsr|"
                   r"rsm|cmpxchg8b|cmpxchg[bwl]?|xadd[bwl]?|bswap|sysenter|sysexit|syscall|"
                   r"sysret|ud2|invlpg|wbinvd|invd|fxsave|fxrstor|emms|prefetch\w*|\w*fence)$")
REGISTERS = re.compile(r"%[xy]?mm\d")
PREFIXES = {"lock", "rep", "repz", "repe", "repnz", "repne", "data16", "addr16", "cs", "ds", "es",
            "fs", "gs", "ss", "notrack", "bnd"}


def later_instructions(code):
    """Counts, by mnemonic, of what an i386 lacks in objdump's listing of code."""
    found = Counter()
    for line in code.splitlines():
        fields = line.split("\t")
        if len(fields) < 3:  # an address and bytes without an instruction
            continue
        words = fields[2].split()
        while len(words) > 1 and words[0] in PREFIXES:
            words.pop(0)
        mnemonic, operands = words[0], " ".join(words[1:])
        if LATER.match(mnemonic) or REGISTERS.search(operands):
            found[mnemonic] += 1
    return found


@pytest.mark.parametrize("name", list(SHIPPED))
def test_program_runs_on_an_i386(name, tmp_path):
    with zipfile.ZipFile(ZIP) as zf:
        program = tmp_path / name
        program.write_bytes(zf.read(name))
    listing = subprocess.run(["i686-w64-mingw32-objdump", "-d", program],
                             check=True, capture_output=True, text=True).stdout
    assert "\tret" in listing, "nothing was disassembled"
    assert later_instructions(listing) == Counter(), name
