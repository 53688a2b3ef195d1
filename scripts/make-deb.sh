#!/usr/bin/env bash
# Builds the Debian package wattorio_<version>_amd64.deb of a release build: the build folder given
# as argument (default build-release), configured first when it is not yet. Install it with
#   apt install ./build-release/wattorio_*_amd64.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-release}
case "$build" in /*) ;; *) build="$root/$build" ;; esac
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DWATTORIO_TESTS=OFF \
        -DWATTORIO_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target wattorio wattorio-cli
(cd "$build" && cpack -G DEB -B "$build" >/dev/null)
ls "$build"/wattorio_*_amd64.deb
