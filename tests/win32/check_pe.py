#!/usr/bin/python3
"""Reads back what the built poromea.exe carries: a 32-bit GUI executable under
400 KB, needing only the system's DLLs, with a Japanese version resource, one
program icon of three images, the sixteen built-in pictures and nothing else.

Usage: check_pe.py build-win32/poromea.exe
Prints one line per check and a closing "N passed, N failed"; exits non-zero on
any failure.
"""
import os
import struct
import sys

import pefile

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "ole32.dll", "oleaut32.dll", "msvcrt.dll",
               "advapi32.dll", "shell32.dll", "comctl32.dll"}
PICTURES = ["PART0", "PART1", "PART2", "PART3", "PART4", "PART5", "COVER1", "COVER2", "COVER3", "COVER4",
            "COVER5", "COVER6", "EMPTY", "FACE", "TITLE", "BANNER"]

results = []


def check(name, ok, detail=""):
    results.append(ok)
    print(f"{'PASS' if ok else 'FAIL'} {name}" + (f": {detail}" if detail and not ok else ""))


def main(path):
    size = os.path.getsize(path)
    check("file size under 400 KB", size < 400 * 1024, f"{size} bytes")
    pe = pefile.PE(path)
    check("PE32 (not PE32+)", pe.OPTIONAL_HEADER.Magic == 0x10B, hex(pe.OPTIONAL_HEADER.Magic))
    check("machine i386", pe.FILE_HEADER.Machine == 0x14C, hex(pe.FILE_HEADER.Machine))
    check("GUI subsystem", pe.OPTIONAL_HEADER.Subsystem == 2, str(pe.OPTIONAL_HEADER.Subsystem))
    dlls = sorted(e.dll.decode().lower() for e in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []))
    check("only system DLLs", set(dlls) <= SYSTEM_DLLS, ", ".join(dlls))

    # Resources: type -> list of (name or id, language, data)
    resources = {}
    for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        kind = t.id if t.id is not None else str(t.name)
        for entry in t.directory.entries:
            name = entry.id if entry.id is not None else str(entry.name)
            for lang in entry.directory.entries:
                data = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
                resources.setdefault(kind, []).append((name, lang.id, data))
    kinds = sorted(resources, key=str)
    RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_RCDATA = 3, 14, 16, 10
    # Nothing else: no manifest, menu, dialog or string table.
    check("resource types are icon, icon group, RCDATA and version only",
          set(kinds) == {RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_RCDATA}, str(kinds))

    groups = resources.get(RT_GROUP_ICON, [])
    check("exactly one icon group", len(groups) == 1, str(len(groups)))
    if groups:
        _, _, data = groups[0]
        _, kind, count = struct.unpack_from("<HHH", data, 0)
        check("the icon group has 3 images", kind == 1 and count == 3, f"type {kind}, {count} images")
        # Each image as its own header tells it (the group's entries may leave the depth 0).
        icons = {name: data for name, _, data in resources.get(RT_ICON, [])}
        images = []
        for i in range(count):
            icon_id = struct.unpack_from("<H", data, 6 + 14 * i + 12)[0]
            image = icons.get(icon_id, b"")
            if image.startswith(b"\x89PNG"):
                w, h = struct.unpack_from(">II", image, 16)
                images.append((w, h, "png"))
            elif len(image) >= 16:
                w, h2, _, bits = struct.unpack_from("<iiHH", image, 4)
                images.append((w, h2 // 2, bits))
            else:
                images.append(("missing", icon_id))
        check("icon images 32x32 2 colours, 32x32 16 colours, 16x16 16 colours",
              sorted(images, key=str) == sorted([(32, 32, 1), (32, 32, 4), (16, 16, 4)], key=str), str(images))
        check("every icon image belongs to the group", len(icons) == count, f"{len(icons)} images, {count} in the group")

    names = sorted(str(n) for n, _, _ in resources.get(RT_RCDATA, []))
    check("the sixteen pictures as RCDATA", names == sorted(PICTURES), str(names))
    for name, _, data in resources.get(RT_RCDATA, []):
        wanted = b"\xff\xd8\xff" if str(name) == "BANNER" else b"GIF89a"
        check(f"{name} is {'a JPEG' if wanted[0] == 0xFF else 'a GIF89a'}", data.startswith(wanted))

    languages = {lang for entries in resources.values() for _, lang, _ in entries}
    check("every resource in language 0x0411", languages == {0x0411}, str([hex(l) for l in languages]))

    versions = resources.get(RT_VERSION, [])
    check("one version resource", len(versions) == 1)
    fixed = pe.VS_FIXEDFILEINFO[0]
    check("FILEVERSION 1,0,0,0", (fixed.FileVersionMS, fixed.FileVersionLS) == (0x10000, 0),
          f"{fixed.FileVersionMS:#x} {fixed.FileVersionLS:#x}")
    check("PRODUCTVERSION 1,0,0,0", (fixed.ProductVersionMS, fixed.ProductVersionLS) == (0x10000, 0))
    strings, translations = {}, []
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                strings[table.LangID.decode()] = {k.decode(): v.decode() for k, v in table.entries.items()}
        if info.Key == b"VarFileInfo":
            for var in info.Var:
                translations.append(var.entry.get(b"Translation"))
    check("string table 041104B0 (Japanese, UTF-16)", list(strings) == ["041104B0"], str(list(strings)))
    check("Translation 0x0411, 1200", translations == ["0x0411 0x04b0"], str(translations))
    table = next(iter(strings.values()), {})
    check('FileVersion "1.00"', table.get("FileVersion") == "1.00", repr(table.get("FileVersion")))
    check('ProductVersion "1.00"', table.get("ProductVersion") == "1.00", repr(table.get("ProductVersion")))
    check('ProductName "ポロメア"', table.get("ProductName") == "ポロメア", repr(table.get("ProductName")))
    check("CompanyName and FileDescription", bool(table.get("CompanyName")) and bool(table.get("FileDescription")))

    passed, failed = results.count(True), results.count(False)
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "build-win32/poromea.exe"))
