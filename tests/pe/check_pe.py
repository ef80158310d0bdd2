#!/usr/bin/env python3
"""Checks the header facts a release review reads off the built saver:
PE32 GUI program, ASLR, DEP and Terminal Server aware, relocations kept, no
section both writable and executable, no import beyond Windows' own five
DLLs, and the manifest's elements. Prints one line per fact; exits 1 when any fails."""
import sys

import xml.etree.ElementTree as ET

import pefile

ALLOWED_IMPORTS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll"}
# Vista, 7, 8, 8.1, 10 and 11.
SUPPORTED_OS = {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}


def manifest_facts(pe):
    found = [e for t in pe.DIRECTORY_ENTRY_RESOURCE.entries if t.id == 24
             for e in t.directory.entries if e.id == 1]
    data = found[0].directory.entries[0].data.struct if found else None
    root = ET.fromstring(pe.get_data(data.OffsetToData, data.Size)) if data else ET.Element("none")
    each = {e.tag.split("}")[1]: e for e in root.iter() if "}" in e.tag}
    level = each.get("requestedExecutionLevel", ET.Element("x")).attrib
    yield "manifest: asInvoker, no uiAccess", level == {"level": "asInvoker", "uiAccess": "false"}
    yield "manifest: supportedOS Vista to 11", {e.get("Id") for e in root.iter()
                                                if e.tag.endswith("supportedOS")} == SUPPORTED_OS
    dpi = [getattr(each.get(k), "text", "") for k in ("dpiAwareness", "dpiAware")]
    yield "manifest: per-monitor DPI aware", dpi == ["PerMonitorV2, PerMonitor", "true/pm"]
    ids = [e.attrib for e in root.iter() if e.tag.endswith("assemblyIdentity")]
    fixed = pe.VS_FIXEDFILEINFO[0]
    own = "%d.%d.%d.%d" % (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                           fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF)
    yield "manifest: x86, the file's version", ids[:1] and ids[0].get("version") == own and \
        ids[0].get("processorArchitecture") == "x86"
    yield "manifest: Common Controls 6.0 (x86)", any(
        i.get("name") == "Microsoft.Windows.Common-Controls" and i.get("version") == "6.0.0.0"
        and i.get("processorArchitecture") == "x86" for i in ids[1:])


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
    yield from manifest_facts(pe)


def main(path):
    pe = pefile.PE(path)
    ok = True
    for name, passed in facts(pe):
        print(("ok    " if passed else "FAIL  ") + name)
        ok = ok and passed
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
