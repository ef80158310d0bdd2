#!/usr/bin/env python3
"""Checks the header facts a release review reads off the built saver:
PE32 GUI program, ASLR, DEP and Terminal Server aware, relocations kept, no
section both writable and executable, and no import beyond Windows' own five
DLLs. Prints one line per fact; exits 1 when any fails."""
import sys

import pefile

ALLOWED_IMPORTS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll"}


def facts(pe):
    oh = pe.OPTIONAL_HEADER
    dll = oh.DllCharacteristics
    reloc = oh.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
    wx = [s.Name.rstrip(b"\0").decode() for s in pe.sections
          if s.Characteristics & 0x80000000 and s.Characteristics & 0x20000000]
    imports = sorted(e.dll.decode().lower() for e in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []))
    yield "PE32 (i386)", oh.Magic == 0x10B and pe.FILE_HEADER.Machine == 0x14C
    yield "GUI subsystem", oh.Subsystem == 2
    yield "DYNAMIC_BASE", bool(dll & 0x0040)
    yield "NX_COMPAT", bool(dll & 0x0100)
    yield "TERMINAL_SERVER_AWARE", bool(dll & 0x8000)
    yield "relocations kept", reloc.Size > 0 and not pe.FILE_HEADER.Characteristics & 0x0001
    yield "no writable and executable section" + (f" ({', '.join(wx)})" if wx else ""), not wx
    yield "imports " + ", ".join(imports), bool(imports) and set(imports) <= ALLOWED_IMPORTS


def main(path):
    pe = pefile.PE(path)
    ok = True
    for name, passed in facts(pe):
        print(("ok    " if passed else "FAIL  ") + name)
        ok = ok and passed
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
