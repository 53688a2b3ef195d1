#!/usr/bin/env bash
# Installs the Debian 12 packages the program and its tests need, only those that are missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ca-certificates file
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
    libxlsxwriter-dev zlib1g-dev nlohmann-json3-dev fonts-noto-cjk qt6-translations-l10n
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    python3 python3-openpyxl poppler-utils
)
if [ "${1:-}" = "--gui" ]; then
    packages+=(xdg-utils)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
