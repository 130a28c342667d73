#!/usr/bin/env bash
# The Windows downloads as a Windows user meets them. The portable zip: its files, README and
# licence in Windows line ends. The installer: its version record and icon; then, under Wine in
# a prefix of its own, a silent install, what it put where Windows looks (the program, the
# Start-menu shortcut, the "Apps & features" entry), the installed program tried by an
# optional hook, a silent uninstall, and nothing of it left.
#   installer_test.sh [--try CMD] [SETUP.exe [ZIP]]    (default: the two in build/windows)
# CMD, or ORVANI_TRY_INSTALLED, is a command that starts the installed program, converts a
# text and closes the program again, exiting non-zero when that fails. The installed
# orvaniconv.exe's Unix path is added as its last argument, and it runs with this test's
# WINEPREFIX and Wine settings; without a display, the test runs itself on a virtual one.
set -euo pipefail

source="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
version="$(sed -n 's/^ *VERSION \([0-9][0-9.]*\)$/\1/p' "$source/CMakeLists.txt" | head -n 1)"
try="${ORVANI_TRY_INSTALLED:-}"
if [[ "${1:-}" == --try ]]; then
    try="$2"
    shift 2
fi
setup="$(realpath -m "${1:-$source/build/windows/orvaniconv-$version-win32-setup.exe}")"
zip="$(realpath -m "${2:-$source/build/windows/orvaniconv-$version-win32.zip}")"
python=/usr/bin/python3 # Debian's, with python3-pefile

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

if [[ -n "$try" && -z "${DISPLAY:-}" ]]; then
    command -v xvfb-run >/dev/null || fail "no display for the installed program, and no xvfb-run"
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "${BASH_SOURCE[0]}" --try "$try" "$setup" "$zip"
fi

[[ -n "$version" ]] || fail "no project version in $source/CMakeLists.txt"
[[ -f "$setup" ]] || fail "no installer $setup (scripts/windows builds it)"
[[ -f "$zip" ]] || fail "no zip $zip (scripts/windows builds it)"
for tool in wine wineserver winepath unzip; do
    command -v "$tool" >/dev/null || fail "$tool not found (scripts/windows installs it)"
done
"$python" -c "import pefile" 2>/dev/null || fail "no pefile module for $python (python3-pefile)"

work="$(mktemp -d)"
cleanup() {
    # The prefix's server outlives the test unless told to go (it was started persistent),
    # and writes the registry out as it goes: wait for it before removing the prefix.
    if [[ -n "${WINEPREFIX:-}" ]]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Checks a program file (MODE gui or console) or the installer (MODE setup) with pefile:
#   check_pe MODE NAME FILE [VERSION ICON]     NAME: what the messages call it
check_pe() {
    "$python" - "$@" <<'PY'
import sys
import pefile

mode, label, path = sys.argv[1:4]
pe = pefile.PE(path)
problems = []
if pe.FILE_HEADER.Machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]:
    problems.append("not a 32-bit x86 program")
if mode in ("gui", "console"):
    subsystem = pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_" + {"gui": "GUI", "console": "CUI"}[mode]]
    if pe.OPTIONAL_HEADER.Subsystem != subsystem:
        problems.append(f"not a {mode} program (subsystem {pe.OPTIONAL_HEADER.Subsystem})")
    # Long section names, as /OFFSET into the string table after the symbols.
    table = pe.FILE_HEADER.PointerToSymbolTable + 18 * pe.FILE_HEADER.NumberOfSymbols
    names = []
    for section in pe.sections:
        name = section.Name.rstrip(b"\0")
        if name.startswith(b"/"):
            start = table + int(name[1:])
            name = bytes(pe.__data__[start:start + 64]).split(b"\0")[0]
        names.append(name.decode())
    debug = [name for name in names if name.startswith(".debug")]
    if debug or pe.FILE_HEADER.NumberOfSymbols:
        problems.append("not stripped: " + " ".join(debug or ["symbols"]))
else:
    version, icon = sys.argv[4:6]
    strings = {}
    for info in getattr(pe, "FileInfo", [[]])[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    for key, wanted in (("ProductName", "Orvani Converter"), ("ProductVersion", version),
                        ("FileVersion", version)):
        if strings.get(key) != wanted:
            problems.append(f"version record {key} is {strings.get(key)!r}, not {wanted!r}")
    resources = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for entry in kind.directory.entries:
            for language in entry.directory.entries:
                data = language.data.struct
                resources.setdefault(kind.id, []).append(pe.get_data(data.OffsetToData, data.Size))
    # The .ico file: a directory of 16-byte entries, each with its image's size and offset.
    ico = open(icon, "rb").read()
    images = []
    for i in range(int.from_bytes(ico[4:6], "little")):
        entry = ico[6 + 16 * i:22 + 16 * i]
        size, offset = int.from_bytes(entry[8:12], "little"), int.from_bytes(entry[12:16], "little")
        images.append(ico[offset:offset + size])
    if sorted(resources.get(pefile.RESOURCE_TYPE["RT_ICON"], [])) != sorted(images):
        problems.append("its icons are not the program's orvaniconv.ico")
    manifest = b"".join(resources.get(pefile.RESOURCE_TYPE["RT_MANIFEST"], []))
    if b'level="requireAdministrator"' not in manifest:
        problems.append("it does not ask for administrator rights")
for problem in problems:
    print(f"FAILED: {label}: {problem}", file=sys.stderr)
sys.exit(1 if problems else 0)
PY
}

# Line ends as Notepad wants them: every line ends in CRLF.
check_crlf() {
    [[ -s "$1" ]] || fail "$2 is empty"
    ! grep -qv $'\r$' "$1" || fail "$2 has lines without CRLF: $(grep -cv $'\r$' "$1")"
}

echo "== the zip"
unzip -Z1 "$zip" | sort >"$work/zip.list"
shipped=(LICENSE.txt README.txt orvaniconv.exe)
has_cli=0
if grep -qx orvaniconv-cli.exe "$work/zip.list"; then
    has_cli=1
    shipped+=(orvaniconv-cli.exe)
fi
printf '%s\n' "${shipped[@]}" | sort >"$work/zip.wanted"
diff "$work/zip.wanted" "$work/zip.list" >"$work/zip.diff" ||
    fail "the zip's files are not ${shipped[*]} (< missing, > extra): $(cat "$work/zip.diff")"
unzip -q "$zip" -d "$work/zip"
check_crlf "$work/zip/README.txt" README.txt
check_crlf "$work/zip/LICENSE.txt" LICENSE.txt
grep -q "Orvani Converter $version" "$work/zip/README.txt" || fail "README.txt does not name version $version"
tr -d '\r' <"$work/zip/LICENSE.txt" | cmp -s - "$source/LICENSE" || fail "LICENSE.txt is not the project's LICENSE"
check_pe gui "the zip's orvaniconv.exe" "$work/zip/orvaniconv.exe"
((has_cli == 0)) || check_pe console "the zip's orvaniconv-cli.exe" "$work/zip/orvaniconv-cli.exe"

echo "== the installer's file"
check_pe setup "the installer $(basename "$setup")" "$setup" "$version" "$source/packaging/windows/orvaniconv.ico"

echo "== a silent install under Wine"
export WINEPREFIX="$work/prefix" WINEARCH=win32 WINEDEBUG=-all
# mscoree and mshtml off: no offer to install Mono or Gecko. winemenubuilder off: no menu
# entries in the home folder for the shortcut.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$WINEPREFIX"
cd "$work"
wineserver -p
wine cmd /c exit >"$work/wine.log" 2>&1 || fail "Wine does not start: $(cat "$work/wine.log")"
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"

# A registry key's values, a line each: name, type and data between tabs.
read_key() {
    wine reg query "$1" 2>/dev/null | tr -d '\r' >"$work/key" || return 1
    sed -n 's/^    \(.*\)    \(REG_[A-Z_]*\)    \(.*\)$/\1\t\2\t\3/p' "$work/key"
}
value() { # VALUES NAME: the data of the value NAME
    awk -F '\t' -v name="$2" '$1 == name { print $3 }' <<<"$1"
}
value_type() {
    awk -F '\t' -v name="$2" '$1 == name { print $2 }' <<<"$1"
}

status=0
wine "$setup" /S >"$work/install.log" 2>&1 || status=$?
((status == 0)) || fail "the silent install exited with $status: $(cat "$work/install.log")"

program_files="$(value "$(read_key 'HKLM\Software\Microsoft\Windows\CurrentVersion')" ProgramFilesDir)"
menu="$(value "$(read_key 'HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders')" \
    'Common Programs')"
[[ -n "$program_files" && -n "$menu" ]] || fail "Wine's prefix names no Program Files or Start menu"
instdir_win="$program_files\\Orvani Converter"
instdir="$(winepath -u "$instdir_win")"
instdir="${instdir%/}"
[[ -d "$instdir" ]] || fail "nothing installed in $instdir_win"
installed=(LICENSE.txt Uninstall.exe orvaniconv.exe)
((has_cli == 0)) || installed+=(orvaniconv-cli.exe)
diff <(printf '%s\n' "${installed[@]}" | sort) <(ls "$instdir" | sort) >"$work/installed.diff" ||
    fail "$instdir_win holds not ${installed[*]} (< missing, > extra): $(cat "$work/installed.diff")"
for file in LICENSE.txt orvaniconv.exe orvaniconv-cli.exe; do
    [[ ! -e "$work/zip/$file" ]] || cmp -s "$instdir/$file" "$work/zip/$file" ||
        fail "the installed $file is not the zip's"
done

link_win="$menu\\Orvani Converter.lnk"
link="$(winepath -u "$link_win")"
[[ -f "$link" ]] || fail "no Start-menu shortcut $link_win"
# The link's target, as its LinkInfo keeps it.
grep -aqF "$instdir_win\\orvaniconv.exe" "$link" || fail "the shortcut does not start $instdir_win\\orvaniconv.exe"

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvaniConverter'
entry="$(read_key "$key")" || fail "no \"Apps & features\" entry $key"
uninstaller_win="$instdir_win\\Uninstall.exe"
for pair in "DisplayName=Orvani Converter" "DisplayVersion=$version" \
    "InstallLocation=$instdir_win" "UninstallString=\"$uninstaller_win\"" \
    "QuietUninstallString=\"$uninstaller_win\" /S" "NoModify=0x1" "NoRepair=0x1"; do
    name="${pair%%=*}" wanted="${pair#*=}"
    got="$(value "$entry" "$name")"
    [[ "$got" == "$wanted" ]] || fail "$key: $name is '$got', not '$wanted'"
done
[[ -n "$(value "$entry" Publisher)" ]] || fail "$key: no Publisher"
[[ "$(value "$entry" DisplayIcon)" == "$instdir_win\\orvaniconv.exe"* ]] ||
    fail "$key: DisplayIcon is '$(value "$entry" DisplayIcon)', not the installed program"
for name in EstimatedSize NoModify NoRepair; do
    [[ "$(value_type "$entry" "$name")" == REG_DWORD ]] || fail "$key: $name is no REG_DWORD"
done
# In KiB, within a KiB a file of what is installed.
bytes="$(cat "$instdir"/* | wc -c)"
estimated=$(($(value "$entry" EstimatedSize)))
((estimated * 1024 + 1024 * ${#installed[@]} >= bytes && estimated * 1024 <= bytes + 1024 * ${#installed[@]})) ||
    fail "$key: EstimatedSize is $estimated KiB for $bytes bytes installed"

echo "== the installed program"
if [[ -n "$try" ]]; then
    status=0
    bash -c "$try \"\$1\"" installed-program "$instdir/orvaniconv.exe" || status=$?
    ((status == 0)) || fail "the installed program, tried with '$try', exited with $status"
else
    echo "not started: no ORVANI_TRY_INSTALLED or --try command"
fi

echo "== a silent uninstall"
# Started as Windows starts it, an NSIS uninstaller copies itself to the temporary folder,
# starts the copy and returns at once. Doing the same here, with _?= telling the copy where
# the program is, lets Wine wait for the copy itself. _?= takes the rest of the command line,
# unquoted, which only a batch file passes on as it is.
mkdir -p "$WINEPREFIX/drive_c/uninstall-copy"
cp "$(winepath -u "$uninstaller_win")" "$WINEPREFIX/drive_c/uninstall-copy/Uninstall.exe"
printf '@"C:\\uninstall-copy\\Uninstall.exe" /S _?=%s\r\n@exit /b %%errorlevel%%\r\n' "$instdir_win" \
    >"$WINEPREFIX/drive_c/uninstall-copy/run.bat"
status=0
wine cmd /c 'C:\uninstall-copy\run.bat' >"$work/uninstall.log" 2>&1 || status=$?
rm -rf "$WINEPREFIX/drive_c/uninstall-copy"
((status != 2)) || fail "the silent uninstall stopped (exit 2): is the program still running?"
((status == 0)) || fail "the silent uninstall exited with $status"

[[ ! -e "$instdir" ]] || fail "the uninstaller left $instdir_win: $(ls -A "$instdir")"
[[ ! -e "$link" ]] || fail "the uninstaller left the shortcut $link_win"
! read_key "$key" >/dev/null || fail "the uninstaller left the registry key $key"
left="$(find "$WINEPREFIX/drive_c" -iname '*orvani*')"
[[ -z "$left" ]] || fail "left after uninstalling: $left"

echo "installer_test: passed"
