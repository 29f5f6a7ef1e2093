#!/bin/sh
# Usage: wine_server_test.sh WINE_SERVER_SCRIPT
# The warm server's holders, with stand-ins for Wine's commands: a server already up is
# shared and left to the one that started it; one that is gone is started again.
set -eu
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
mkdir -p "$prefix" "$work/bin"
touch "$prefix/.ztusb-ready"
# The stand-in server is up while its file is there; -p counts its starts.
cat >"$work/bin/wineserver" <<'STANDIN'
#!/bin/sh
up=$WINEPREFIX/server-up
case $1 in
-p) touch "$up"; echo started >>"$WINEPREFIX/server-starts" ;;
-k) rm -f "$up" ;;
-w) while [ -f "$up" ]; do sleep 0.1; done ;;
esac
STANDIN
printf '#!/bin/sh\n' >"$work/bin/wine"
chmod +x "$work/bin/wineserver" "$work/bin/wine"
PATH=$work/bin:$PATH

expect() {
    up=no
    [ -f "$prefix/server-up" ] && up=yes
    starts=$(wc -l <"$prefix/server-starts" 2>/dev/null || echo 0)
    if [ "$up $starts" != "$1 $2" ]; then
        echo "after $3: server up $up, started $starts times; expected up $1, $2 times" >&2
        exit 1
    fi
}

sh "$script" start "$prefix" test-all
expect yes 1 "the test command's start"
sh "$script" start "$prefix" ctest
expect yes 1 "the fixture's start beside it"
sh "$script" stop "$prefix" ctest
expect yes 1 "the fixture's stop"
sh "$script" stop "$prefix"
expect no 1 "the test command's stop"
echo test-all >"$prefix/.ztusb-server"
sh "$script" start "$prefix" ctest
expect yes 2 "a start where the holder's server is gone"
sh "$script" stop "$prefix" ctest
expect no 2 "the stop of the fixture that started it"
