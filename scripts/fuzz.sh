#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, address and undefined-behaviour sanitizers) and
# runs one target, or each in turn, for a time, starting from the seeds in fuzz/corpus/.
# Inputs that add coverage collect in build/fuzz/corpus/, findings in build/fuzz/findings/;
# a finding, once fixed, goes into fuzz/corpus/ (minimized) so that CI replays it.
# Usage: scripts/fuzz.sh [TARGET|all] [SECONDS] [RUNS] (default: all, 60 seconds each; a run
#        stops at SECONDS or after RUNS executions, whichever comes first)
#        scripts/fuzz.sh seeds                       (writes the seed corpora anew)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh fuzz
target="${1:-all}"
seconds="${2:-60}"
runs="${3:--1}"

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZT_FUZZ=ON >/dev/null
cmake --build build/fuzz --target zt_fuzz_targets

if [ "$target" = seeds ]; then
    exec build/fuzz/fuzz/fuzz_seeds fuzz/corpus tests/worlds/*.json
fi

targets=(broadcast requests wmi_texts serial_map world wql text d2xx udev_devices udev_records device_tree)
[ "$target" = all ] || targets=("$target")
for t in "${targets[@]}"; do
    mkdir -p build/fuzz/findings build/fuzz/corpus/"$t"
    dict=()
    case "$t" in
        broadcast|wmi_texts|text) dict=(-dict=fuzz/dict/wmi.dict) ;;
        wql|requests) dict=(-dict=fuzz/dict/wql.dict) ;;
        world|device_tree) dict=(-dict=fuzz/dict/"$t".dict) ;;
    esac
    echo "== $t for ${seconds}s"
    build/fuzz/fuzz/fuzz_"$t" -max_total_time="$seconds" -runs="$runs" -print_final_stats=1 "${dict[@]}" \
        -artifact_prefix=build/fuzz/findings/"$t"- build/fuzz/corpus/"$t" fuzz/corpus/"$t"
done
