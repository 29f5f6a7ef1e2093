#!/usr/bin/env bash
# Installs what the builds need from Debian's archive, skipping what is already there.
# Usage: scripts/install-deps.sh [native|fuzz|all]
#   native: the Linux build; fuzz: adds clang with libFuzzer; all (default): adds MinGW-w64,
#   Wine and clang with libFuzzer.
set -euo pipefail

packages=(cmake ninja-build g++ libgtest-dev googletest libbenchmark-dev nlohmann-json3-dev pkg-config
          libudev-dev umockdev libumockdev-dev python3 python3-serial python3-gi gir1.2-umockdev-1.0)
case "${1:-all}" in
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    all) packages+=(g++-mingw-w64-x86-64 mingw-w64 wine64 wine clang libclang-rt-14-dev) ;;
esac

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
