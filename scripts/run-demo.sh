#!/usr/bin/env bash
# Installs what is needed, builds natively, and runs the monitor's demo on the simulated world.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh native
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build/release --target ztusbmon >/dev/null
build/release/tools/ztusbmon demo
