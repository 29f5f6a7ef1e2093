#!/bin/sh
# Usage: wine-server.sh start|stop PREFIX
# One Wine server for a whole test run, its system processes already up: each program then
# starts in a fraction of a second, instead of starting a server of its own or racing the end
# of the previous one (a program started while the server shuts down can die before it
# prints). Everything started here reads and writes /dev/null: a system process that stays up
# must hold no pipe of the caller's, or ctest would wait for it.
set -e
. "$(dirname "$0")/wine-prefix.sh"

detached() {
    "$@" </dev/null >/dev/null 2>&1 || {
        status=$?
        echo "wine-server.sh: '$*' failed with exit code $status in $WINEPREFIX" >&2
        exit 1
    }
}

case $1 in
start)
    use_wine_prefix "$2"
    # A server left by an earlier run may be about to exit, or never will.
    wineserver -k >/dev/null 2>&1 || true
    # What wine-run.sh could not remove, killed at a timeout.
    rm -f "$WINEPREFIX"/stderr.*
    detached wineserver -p
    detached wine cmd /c exit
    ;;
stop)
    WINEPREFIX=$2 wineserver -k >/dev/null 2>&1 || true
    ;;
*)
    echo "usage: $0 start|stop PREFIX" >&2
    exit 2
    ;;
esac
