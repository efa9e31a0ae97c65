#!/usr/bin/python3
"""poromea.exe as a packager sees it, read back from its PE file: a line per check, then "N passed, N failed";
status 1 on any failure. Usage: check_pe.py build-win32/poromea.exe VERSION, the version the build was made for."""
import struct
import sys

import pefile

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "ole32.dll", "oleaut32.dll", "msvcrt.dll", "advapi32.dll",
               "shell32.dll", "comctl32.dll", "oleacc.dll"}
PICTURES = [f"PART{i}" for i in range(6)] + [f"COVER{i}" for i in range(1, 7)] + ["EMPTY", "FACE", "TITLE", "BANNER"]
RT_ICON, RT_RCDATA, RT_GROUP_ICON, RT_VERSION = 3, 10, 14, 16

pe = pefile.PE(sys.argv[1])
# 1.2.3 as the fixed version 1.2.3.0, and as "1.02", the way the version strings show it.
numbers = ([int(n) for n in sys.argv[2].split(".")] + [0] * 4)[:4]
VERSION, VERSION_TEXT = ".".join(map(str, numbers)), f"{numbers[0]}.{numbers[1]:02}"
res = {kind.id: {str(e.name) if e.name else e.id: e.directory.entries[0].data.struct for e in kind.directory.entries}
       for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries}  # type -> {name: where its data is}
strings = {t.LangID.decode(): {k.decode(): v.decode() for k, v in t.entries.items()}
           for info in pe.FileInfo[0] if info.Key == b"StringFileInfo" for t in info.StringTable}
translations = [v.entry.get(b"Translation") for info in pe.FileInfo[0] if info.Key == b"VarFileInfo" for v in info.Var]
CHECKS = [
    ("PE32 i386 GUI executable",
     lambda: (pe.OPTIONAL_HEADER.Magic, pe.FILE_HEADER.Machine, pe.OPTIONAL_HEADER.Subsystem) == (0x10B, 0x14C, 2)),
    ("under 400 KB", lambda: len(pe.write()) < 400 * 1024),
    ("imports only system DLLs", lambda: {e.dll.decode().lower() for e in pe.DIRECTORY_ENTRY_IMPORT} <= SYSTEM_DLLS),
    ("no manifest, menu, dialog or string table", lambda: set(res) == {RT_ICON, RT_GROUP_ICON, RT_RCDATA, RT_VERSION}),
    (f"version {VERSION}", lambda: [getattr(pe.VS_FIXEDFILEINFO[0], f"{kind}Version{half}") for kind in ("File", "Product")
                                    for half in ("MS", "LS")] == [numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3]] * 2),
    ("version strings Japanese, UTF-16", lambda: list(strings) == ["041104B0"] and translations == ["0x0411 0x04b0"]),
    (f'versions "{VERSION_TEXT}", product "ポロメア"', lambda: [strings.get("041104B0", {}).get(k) for k in (
        "FileVersion", "ProductVersion", "ProductName")] == [VERSION_TEXT, VERSION_TEXT, "ポロメア"]),
    ("one icon, its images 32x32 (two) and 16x16", lambda: len(res.get(RT_GROUP_ICON, {})) == 1 and sorted(
        struct.unpack_from("<ii", pe.get_data(at.OffsetToData, at.Size), 4)[0] for at in res.get(RT_ICON, {}).values()) == [16, 32, 32]),
    ("the sixteen pictures", lambda: sorted(res.get(RT_RCDATA, {})) == sorted(PICTURES)),
]
failed = [name for name, check in CHECKS if not check()]
for name, _ in CHECKS:
    print("FAIL" if name in failed else "PASS", name)
print(f"{len(CHECKS) - len(failed)} passed, {len(failed)} failed")
sys.exit(1 if failed else 0)
