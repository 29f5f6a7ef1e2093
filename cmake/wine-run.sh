#!/bin/sh
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
# Runs a Windows program under Wine in a prefix of its own, quietly, with the null display
# driver so that hidden top-level windows exist without a display.
set -e
WINEPREFIX=$1
shift
export WINEPREFIX WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/.ztusb-ready" ]; then
    mkdir -p "$WINEPREFIX"
    # No Mono or Gecko: nothing here needs them, and their installers would ask.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.ztusb-ready"
fi
exec wine "$@"
