#!/usr/bin/env bash
# Installs what is missing, builds a release build and starts ワットリオ on a working folder:
# the folder given as argument, or a copy of examples/demo made once in the user's home.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh" --gui
cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DWATTORIO_TESTS=OFF -DWATTORIO_BENCH=OFF >/dev/null
cmake --build "$root/build-release" --target wattorio wattorio-cli
if [ $# -ge 1 ]; then
    folder=$1
else
    folder="$HOME/wattorio-demo"
    if [ ! -e "$folder" ]; then
        cp -r "$root/examples/demo" "$folder"
        echo "デモ用の作業フォルダーを作成しました: $folder"
    fi
fi
cd "$folder"
exec "$root/build-release/src/wattorio"
