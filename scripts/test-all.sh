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
# One warm Wine server for the Windows suite and the round trip after it, ended however the
# run ends (a server left to start and stop around each test once made one die unheard);
# the suite's own fixture finds it up and leaves it running.
wine_prefix="$PWD/build/mingw/wineprefix"
trap 'cmake/wine-server.sh stop "$wine_prefix"' EXIT
cmake/wine-server.sh start "$wine_prefix" test-all
ctest --test-dir build/mingw --output-on-failure --timeout 300
# What the Windows build records of Wine's machine, replayed natively.
ctest --test-dir build/native --output-on-failure --timeout 300 -R wine_to_native
cmake/wine-server.sh stop "$wine_prefix"
trap - EXIT

# The fuzz targets' corpora, each replayed once (clang with libFuzzer), so that a finding
# once fixed stays fixed.
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZT_FUZZ=ON >/dev/null
cmake --build build/fuzz --target zt_fuzz_targets
ctest --test-dir build/fuzz --output-on-failure --timeout 300
