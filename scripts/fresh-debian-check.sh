#!/usr/bin/env bash
# Proves that the project sets itself up from nothing: in a fresh Debian 12 minbase tree (made once
# with debootstrap and kept as a tarball outside the checkout), a clean clone of the current commit
# runs the install step, a release build of wattorio and wattorio-cli and the Debian package; the
# package is installed with apt (so its Depends are enough), `wattorio-cli --help` runs and the
# program starts offscreen and ends at once. Fails when any step fails.
#
#   bash scripts/fresh-debian-check.sh          the check above
#   bash scripts/fresh-debian-check.sh --tests  also runs scripts/test.sh in the tree (needs
#                                               ../shared beside the checkout; slow)
#
# Needs root. The mirror is the one this machine's own apt sources name. WATTORIO_CI_CACHE sets the
# cache folder (default /var/cache/wattorio-ci).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${WATTORIO_CI_CACHE:-/var/cache/wattorio-ci}
base="$cache/bookworm-minbase.tar.gz"
run_tests=0
[ "${1:-}" = "--tests" ] && run_tests=1
start=$(date +%s)
step() { echo "== [fresh tree $(($(date +%s) - start)) s] $*"; }

if [ "$(id -u)" -ne 0 ]; then
    echo "fresh-debian-check: needs root (debootstrap, chroot)" >&2
    exit 1
fi

# The first Debian mirror of this machine's apt sources that serves bookworm itself.
host_mirror() {
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        awk '$1 == "deb" { u = ""; s = ""; for (i = 2; i <= NF; i++) { if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; continue }
             if (u == "") u = $i; else if (s == "") s = $i }
             if (s == "bookworm") { print u; exit } }' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        # deb822 stanzas: print the URIs of the first stanza whose Suites include bookworm.
        awk 'BEGIN { RS = ""; FS = "\n" }
             { t = ""; u = ""; s = ""
               for (i = 1; i <= NF; i++) {
                   if ($i ~ /^Types:/) t = $i
                   if ($i ~ /^URIs:/) { u = $i; sub(/^URIs:[ \t]*/, "", u); sub(/[ \t].*/, "", u) }
                   if ($i ~ /^Suites:/) s = " " substr($i, 8) " "
               }
               if (t ~ /deb( |$)/ && s ~ /[ \t]bookworm[ \t]/ && u != "") { print u; exit } }' "$f"
    done
}

if [ ! -s "$base" ]; then
    if ! command -v debootstrap >/dev/null; then
        step "installing debootstrap"
        DEBIAN_FRONTEND=noninteractive apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
    fi
    mirror=$(host_mirror | head -n 1)
    if [ -z "$mirror" ]; then
        echo "fresh-debian-check: no bookworm mirror in this machine's apt sources" >&2
        exit 1
    fi
    step "debootstrap --variant=minbase bookworm (once; cached as $base)"
    mkdir -p "$cache"
    made=$(mktemp -d "$cache/debootstrap.XXXXXX")
    trap 'rm -rf "$made"' EXIT
    debootstrap --variant=minbase bookworm "$made" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
        { tail -n 30 "$cache/debootstrap.log" >&2; exit 1; }
    rm -rf "$made"/var/cache/apt/archives/*.deb
    tar -C "$made" -czf "$base.part" . && mv "$base.part" "$base"
    rm -rf "$made"
    trap - EXIT
fi

tree=$(mktemp -d /var/tmp/wattorio-fresh.XXXXXX)
cleanup() {
    for m in dev/pts dev proc; do
        mountpoint -q "$tree/$m" && umount -l "$tree/$m"
    done
    rm -rf --one-file-system "$tree"
}
trap cleanup EXIT
step "unpacking the base tree into $tree"
tar -C "$tree" -xzf "$base"
# The same package sources as this machine, so the tree gets the same versions.
rm -f "$tree"/etc/apt/sources.list "$tree"/etc/apt/sources.list.d/*
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && cp "$f" "$tree/etc/apt/${f#/etc/apt/}"
done
cp /etc/resolv.conf "$tree/etc/resolv.conf"
mount -t proc proc "$tree/proc"
mount --bind /dev "$tree/dev"
mount --bind /dev/pts "$tree/dev/pts"

step "cloning the commit $(git -C "$root" rev-parse --short HEAD)"
git clone -q --no-hardlinks "$root" "$tree/src/wattorio"
git -C "$tree/src/wattorio" checkout -q "$(git -C "$root" rev-parse HEAD)"
if [ $run_tests -eq 1 ]; then
    cp -r "$root/../shared" "$tree/src/shared"
fi

in_tree() { chroot "$tree" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive bash -euo pipefail -c "$1"; }

step "install step (scripts/install-deps.sh --gui)"
in_tree 'cd /src/wattorio && bash scripts/install-deps.sh --gui'
step "release build of wattorio and wattorio-cli"
in_tree 'cd /src/wattorio && cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DWATTORIO_TESTS=OFF -DWATTORIO_BENCH=OFF >/dev/null && cmake --build build-release -j "$(nproc)" \
    --target wattorio wattorio-cli'
step "Debian package (cpack -G DEB)"
in_tree 'cd /src/wattorio && bash scripts/make-deb.sh build-release'
step "installing the package with apt"
in_tree 'apt-get install -y -qq /src/wattorio/build-release/wattorio_*_amd64.deb'
step "wattorio-cli --help and an offscreen start of wattorio"
in_tree 'cd /root && wattorio-cli --help >/dev/null && test -f /usr/share/wattorio/help/index.html &&
    test -f /usr/share/applications/wattorio.desktop &&
    QT_QPA_PLATFORM=offscreen timeout 60 wattorio --smoke-test && test -d "$HOME/ワットリオ"'
if [ $run_tests -eq 1 ]; then
    step "the whole test run (scripts/test.sh)"
    in_tree 'cd /src/wattorio && bash scripts/test.sh'
fi
step "done"
