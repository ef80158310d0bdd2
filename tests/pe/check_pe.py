#!/usr/bin/env python3
"""Checks the facts a release review reads off the built saver: PE32 GUI
program, ASLR, DEP and Terminal Server aware, relocations kept, no section
both writable and executable, no import beyond Windows' own five DLLs, the
manifest's elements, and each flag the README lists under "How the binary is
built" (stack canaries too). Prints one line per fact; exits 1 when any fails."""
import collections, pathlib, re, sys

import pefile

ALLOWED_IMPORTS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll"}
# In the manifest (resource 1, RT_MANIFEST): supportedOS Vista, 7, 8, 8.1, 10 and 11.
MANIFEST = ['level="asInvoker" uiAccess="false"', ">PerMonitorV2, PerMonitor<", ">true/pm<",
            'name="Microsoft.Windows.Common-Controls" version="6.0.0.0" processorArchitecture="x86"'
            ] + ['<supportedOS Id="{%s}"/>' % os for os in (
                "e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a")]


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
    power = re.findall(rb"SetThreadExecutionState|PowerCreateRequest|PowerSetRequest", pe.__data__)
    yield "asks for no power request" + (f" ({power})" if power else ""), not power
    # Canary tests: "sub reg, [guard]" (2B /r, disp32), many on one address.
    code = b"".join(s.get_data() for s in pe.sections if s.Characteristics & 0x20000000)
    subs = collections.Counter(re.findall(rb"\x2b[\x05\x0d\x15\x1d\x35\x3d](.{4})", code, re.S))
    shown = {"-fstack-protector-strong": max(subs.values(), default=0) >= 10,
             "--dynamicbase": bool(dll & 0x0040), "--nxcompat": bool(dll & 0x0100), "--tsaware": bool(dll & 0x8000)}
    readme = (pathlib.Path(__file__).resolve().parents[2] / "README.md").read_text(encoding="utf-8")
    for flag in re.findall(r"^- `(-[^`]*)`", readme.split("### How the binary is built")[1].split("\n## ")[0], re.M):
        yield f"the README's {flag} shows in the binary", shown.get(flag, False)
    found = [e.directory.entries[0].data.struct for t in pe.DIRECTORY_ENTRY_RESOURCE.entries
             if t.id == 24 for e in t.directory.entries if e.id == 1]
    text = pe.get_data(found[0].OffsetToData, found[0].Size).decode() if found else ""
    for needle in MANIFEST:
        yield "manifest: " + needle, needle in text


def main(path):
    pe = pefile.PE(path)
    ok = True
    for name, passed in facts(pe):
        print(("ok    " if passed else "FAIL  ") + name)
        ok = ok and passed
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
