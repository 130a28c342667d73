#!/bin/sh
# Runs Windows programs under Wine in a prefix of their own (a folder of the build tree), so
# that nothing of the user's Wine is used or changed. CTest runs the cross-built tests through
# it (CMAKE_CROSSCOMPILING_EMULATOR), and scripts can too:
#   run.sh PREFIX PROGRAM [ARGUMENT...]  runs PROGRAM (a .exe, or one of Wine's, such as cmd)
#   run.sh PREFIX --start                makes the prefix where there is none yet, and starts
#                                        its server for good with Wine's services running
#   run.sh PREFIX --stop                 stops the server and every program in the prefix
# Nothing needs a display; a program that opens windows needs one (xvfb-run -a).
set -eu

if [ $# -lt 2 ]; then
    echo "usage: run.sh PREFIX PROGRAM [ARGUMENT...] | --start | --stop" >&2
    exit 2
fi
prefix=$1
shift

export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
# No Mono or Gecko, which a new prefix would otherwise look for and offer to download, and no
# menu entries or file associations written into the home folder. The groups are separated by
# ";": after a comma winemenubuilder would still run.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

ready="$prefix/.ready"
log="$prefix/.setup.log"

# Wine's server and the services it starts outlive the program that started them, holding
# whatever it had for output: Wine is set up with its output in a log, and without the lock.
quietly() {
    "$@" </dev/null >>"$log" 2>&1 9>&-
}

# Holds the prefix's lock (file descriptor 9) until the script ends.
lock() {
    mkdir -p "$prefix"
    exec 9>"$prefix/.lock"
    flock 9
}

# Wine's own files, and its fonts (Debian: fonts-wine) where Windows programs find them:
# Debian's Wine 8 looks for them in a folder that does not exist.
make_prefix() {
    if [ -f "$ready" ]; then
        return
    fi
    if ! quietly wine wineboot -i; then
        cat "$log" >&2
        exit 1
    fi
    if [ -d /usr/share/wine/fonts ]; then
        mkdir -p "$prefix/drive_c/windows/Fonts"
        cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
    fi
    touch "$ready"
}

case "$1" in
--start)
    lock
    # A server that another run started ends soon after its last program, and its services
    # with it; a server started here stays until --stop, and the services with it, so that each
    # program starts quickly and starts none of them (which would hold its output open).
    wineserver -k 2>/dev/null || true
    wineserver -w
    quietly wineserver -p
    make_prefix
    quietly wine cmd /c exit
    echo "Wine prefix $prefix ready, its server running"
    ;;
--stop)
    wineserver -k 2>/dev/null || true
    wineserver -w
    ;;
*)
    if [ ! -f "$ready" ]; then
        (
            lock
            make_prefix
        )
    fi
    # The output goes through files, which anything the program leaves running may hold as
    # long as it likes, then to ours with Windows' line ends made Linux ones (CTest reads the
    # test list from it).
    out=$(mktemp "$prefix/.out.XXXXXX")
    err=$(mktemp "$prefix/.err.XXXXXX")
    trap 'rm -f "$out" "$err"' EXIT
    trap 'exit 1' INT TERM
    status=0
    wine "$@" >"$out" 2>"$err" || status=$?
    sed 's/\r$//' "$out"
    sed 's/\r$//' "$err" >&2
    exit "$status"
    ;;
esac
