# Sourced by the scripts that run Wine for the tests.
# use_wine_prefix PREFIX: the environment every Wine process of the tests shares (a warm
# server's system processes keep the one they started with), and the prefix, made on first
# use: with the null display driver, so that hidden top-level windows exist without a display.
use_wine_prefix() {
    WINEPREFIX=$1
    # No debugger for a program that crashes: it ends at once with its exception's code,
    # where Wine's debugger could keep it (and its output) until ctest's timeout.
    export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES=winedbg.exe=d
    [ -f "$WINEPREFIX/.ztusb-ready" ] && return
    mkdir -p "$WINEPREFIX"
    # No Mono or Gecko: nothing here needs them, and their installers would ask.
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.ztusb-ready"
}
