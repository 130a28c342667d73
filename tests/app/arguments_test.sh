#!/bin/sh
# How orvaniconv answers its command line where there is no display for a window.
# Usage: arguments_test.sh PROGRAM
set -u
program=$1
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
failed=0

# check STATUS STREAM PATTERN ARGUMENT...: the program run with the arguments ends with STATUS
# and what it writes to STREAM (out or err) matches the shell pattern PATTERN.
check() {
    status=$1 stream=$2 pattern=$3
    shift 3
    if [ "$stream" = out ]; then
        written=$("$program" "$@" 2>/dev/null)
    else
        written=$("$program" "$@" 2>&1 >/dev/null)
    fi
    actual=$?
    case $written in
    $pattern) [ "$actual" -eq "$status" ] && return ;;
    esac
    printf 'FAIL: orvaniconv %s\n  status %s (expected %s), std%s:\n%s\n' \
        "$*" "$actual" "$status" "$stream" "$written"
    failed=1
}

unknown="orvaniconv: Unknown option 'bogus'.
Try 'orvaniconv --help' for more information."
version='orvaniconv [0-9]*'

check 2 err "$unknown" --bogus
check 2 err "$unknown" --version --bogus
check 2 err "$unknown" -platform offscreen --bogus
check 0 out "$version" --version
check 0 out 'Usage: *' --help
check 0 out "$version" -platform offscreen -reverse --style=fusion --version
check 0 out "$version" -qwindowtitle --bogus --version
check 1 err 'orvaniconv: the window opens no files; orvaniconv-cli converts files' letter.txt

exit $failed
