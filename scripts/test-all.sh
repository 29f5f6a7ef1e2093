#!/usr/bin/env bash
# Builds everything and runs every test: natively (with the address and undefined-behaviour
# sanitizers), then the Windows build under Wine, then the fuzz corpora replayed once.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh all

cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZT_SANITIZE=ON \
    -DZT_WINDOWS_BUILD_DIR="$PWD/build/mingw" >/dev/null
cmake --build build/native
ctest --test-dir build/native --output-on-failure --timeout 300 -E wine_to_native

cmake -S . -B build/mingw -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/mingw
# Wine makes its prefix on first use; make it here, so that the first test does not carry
# Wine's start-up (under load that first test once failed without a word).
cmake/wine-run.sh "$PWD/build/mingw/wineprefix" build/mingw/tools/ztusbmon.exe --help >/dev/null 2>&1 || true
ctest --test-dir build/mingw --output-on-failure --timeout 300
# What the Windows build records of Wine's machine, replayed natively.
ctest --test-dir build/native --output-on-failure --timeout 300 -R wine_to_native

# The fuzz targets' corpora, each replayed once (clang with libFuzzer), so that a finding
# once fixed stays fixed.
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZT_FUZZ=ON >/dev/null
cmake --build build/fuzz --target zt_fuzz_targets
ctest --test-dir build/fuzz --output-on-failure --timeout 300
