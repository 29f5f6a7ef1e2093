#!/bin/sh
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
# Runs a Windows program under Wine in a prefix of its own (cmake/wine-prefix.sh), quietly.
# Its standard error goes to a file first, so that a program that fails is reported with its
# exit code and what it and Wine said there, never with nothing; a passing one's is kept as is.
set -e
. "$(dirname "$0")/wine-prefix.sh"
use_wine_prefix "$1"
shift
stderr_file=$(mktemp "$WINEPREFIX/stderr.XXXXXX")
trap 'rm -f "$stderr_file"' EXIT
# A Ctrl+C or a timeout's signal reaches the whole process group, the program too: it is the
# program's to handle (ztusbmon watch ends cleanly on it), and its exit status is the one to
# pass on. A trap that does nothing keeps this shell waiting without making the program
# ignore the signal, as an empty trap would.
trap ':' HUP INT TERM
status=0
wine "$@" 2>"$stderr_file" || status=$?
cat "$stderr_file" >&2
if [ "$status" -ne 0 ]; then
    if [ -s "$stderr_file" ]; then
        said="its standard error is above"
    else
        said="nothing on its standard error"
    fi
    echo "wine-run.sh: $1 exited with code $status under Wine ($said)" >&2
fi
exit "$status"
