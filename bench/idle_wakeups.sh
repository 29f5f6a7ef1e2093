#!/usr/bin/env bash
# How often a program waiting for a device wakes up while nothing happens: the context
# switches of all its threads over two seconds of its wait, once it has settled.
#   bench/idle_wakeups.sh [PROGRAM ARGS...]   (default: ztusbmon find --serial NONE --wait 10)
set -euo pipefail
program=("$@")
[ ${#program[@]} -gt 0 ] || program=(build/release/tools/ztusbmon find --serial NONE --wait 10)
"${program[@]}" >/dev/null 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
switches() {
    cat /proc/"$pid"/task/*/status 2>/dev/null |
        awk '/^(voluntary|nonvoluntary)_ctxt_switches/ { sum += $2 } END { print sum + 0 }'
}
sleep 1
before=$(switches)
sleep 2
after=$(switches)
echo "wake-ups over 2 s of waiting: $((after - before)) (${program[*]})"
