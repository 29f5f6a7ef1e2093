#!/bin/sh
# Usage: wine-server.sh start PREFIX HOLDER | stop PREFIX [HOLDER]
# One Wine server for a whole test run, its system processes already up: each program then
# starts in a fraction of a second, instead of starting a server of its own or racing the end
# of the previous one (a program started while the server shuts down can die before it
# prints). Everything started here reads and writes /dev/null: a system process that stays up
# must hold no pipe of the caller's, or ctest would wait for it.
# A warm server already up in the prefix is used as it is, and only its HOLDER, the one that
# started it, ends it: the test command starts one for the suite and the round trip after it,
# and ctest's fixture, run within the command or alone, shares it. `stop` without a HOLDER
# ends the server whoever started it.
set -e
. "$(dirname "$0")/wine-prefix.sh"

detached() {
    "$@" </dev/null >/dev/null 2>&1 || {
        status=$?
        echo "wine-server.sh: '$*' failed with exit code $status in $WINEPREFIX" >&2
        exit 1
    }
}

# Who started the warm server: written once it is up, removed before it is ended.
holder_file() { echo "$WINEPREFIX/.ztusb-server"; }

# `wineserver -w` waits for the running server to end: still waiting, there is one.
server_running() {
    status=0
    timeout 2 wineserver -w </dev/null >/dev/null 2>&1 || status=$?
    [ "$status" -eq 124 ]
}

case $1 in
start)
    [ -n "$3" ] || { echo "usage: $0 start PREFIX HOLDER" >&2; exit 2; }
    use_wine_prefix "$2"
    if [ -f "$(holder_file)" ] && server_running; then
        exit 0
    fi
    # A server left by an earlier run may be about to exit, or never will.
    wineserver -k >/dev/null 2>&1 || true
    # What wine-run.sh could not remove, killed at a timeout.
    rm -f "$WINEPREFIX"/stderr.*
    detached wineserver -p
    detached wine cmd /c exit
    echo "$3" >"$(holder_file)"
    ;;
stop)
    export WINEPREFIX="$2"
    if [ -n "$3" ] && [ "$(cat "$(holder_file)" 2>/dev/null)" != "$3" ]; then
        exit 0
    fi
    rm -f "$(holder_file)"
    wineserver -k >/dev/null 2>&1 || true
    ;;
*)
    echo "usage: $0 start PREFIX HOLDER | stop PREFIX [HOLDER]" >&2
    exit 2
    ;;
esac
