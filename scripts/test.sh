#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test; then builds the core, the CLI and the core tests without Qt and runs those
# tests too; then fuzzes every file reader (scripts/fuzz.sh). Fails when anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
bash "$root/scripts/install-deps.sh"

echo "== Sanitized build with the windows"
cmake -S "$root" -B "$root/build-ci" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DWATTORIO_SANITIZE=ON \
    -DWATTORIO_BENCH=ON -DWATTORIO_WERROR=ON >/dev/null
cmake --build "$root/build-ci" -j "$jobs"
(cd "$root/build-ci" && ctest --output-on-failure -j "$jobs")

echo "== Core without Qt"
cmake -S "$root" -B "$root/build-core" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DWATTORIO_GUI=OFF \
    -DWATTORIO_SANITIZE=ON -DWATTORIO_BENCH=OFF -DWATTORIO_WERROR=ON >/dev/null
cmake --build "$root/build-core" -j "$jobs"
(cd "$root/build-core" && ctest --output-on-failure -j "$jobs")

echo "== Fuzzing every file reader (under four minutes)"
bash "$root/scripts/fuzz.sh"
