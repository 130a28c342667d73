#!/usr/bin/env python3
"""orvaniconv.exe as Windows reads it: a 32-bit GUI program that needs no DLL of ours, with
its version record, its icons and its manifest.

    resources_test.py ORVANICONV_EXE
"""

import sys

import pefile

# What Windows itself carries, from Windows 7 on.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "ole32.dll",
               "oleaut32.dll", "oleacc.dll", "normaliz.dll", "msvcrt.dll", "advapi32.dll",
               "shell32.dll"}


def main(path):
    pe = pefile.PE(path)
    failures = []

    def check(condition, message):
        if not condition:
            failures.append(message)
            print("FAIL:", message, file=sys.stderr)

    check(pe.FILE_HEADER.Machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"],
          "not a 32-bit x86 program")
    check(pe.OPTIONAL_HEADER.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"],
          "not a GUI program")
    imported = {entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT}
    check(imported <= SYSTEM_DLLS, f"needs DLLs that Windows lacks: {imported - SYSTEM_DLLS}")

    strings = {}
    translations = []
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                check(table.LangID.lower() == b"040704b0", f"string table {table.LangID!r}")
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
        elif info.Key == b"VarFileInfo":
            for var in info.Var:
                translations.extend(var.entry.values())
    expected = {"FileVersion": "1.00", "ProductVersion": "1.00", "InternalName": "orvaniconv",
                "OriginalFilename": "orvaniconv.exe", "ProductName": "orvanitranscr"}
    for key, value in expected.items():
        check(strings.get(key) == value, f"{key} is {strings.get(key)!r}, not {value!r}")
    check(translations == ["0x0407 0x04b0"], f"translation {translations}")
    fixed = pe.VS_FIXEDFILEINFO[0]
    check((fixed.FileVersionMS, fixed.FileVersionLS) == (0x10000, 0), "fixed file version")

    resources = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        resources[kind.id] = [entry.id for entry in kind.directory.entries]
    # Icon groups: the window's first, so that it is the file's icon, then the two pictures.
    check(resources.get(pefile.RESOURCE_TYPE["RT_GROUP_ICON"]) == [1, 2, 3],
          f"icon groups {resources.get(pefile.RESOURCE_TYPE['RT_GROUP_ICON'])}")
    images = resources.get(pefile.RESOURCE_TYPE["RT_ICON"], [])
    check(len(images) == len(set(images)) == 4, f"icon images {images}")
    manifests = pe.DIRECTORY_ENTRY_RESOURCE.entries
    manifest = next((kind for kind in manifests
                     if kind.id == pefile.RESOURCE_TYPE["RT_MANIFEST"]), None)
    check(manifest is not None, "no manifest")
    if manifest is not None:
        entry = manifest.directory.entries[0].directory.entries[0].data.struct
        text = pe.get_data(entry.OffsetToData, entry.Size).decode()
        check("Microsoft.Windows.Common-Controls" in text and 'version="6.0.0.0"' in text,
              "the manifest asks for no common controls 6")
        check("<dpiAware" in text, "the manifest declares no DPI awareness")
    if failures:
        return 1
    print(f"{path}: version record, icons and manifest as they should be")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
