#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for a bounded time from its seeds in
# fuzz/corpus/<target>/ (copied, so the seeds in the tree stay as they are). The whole run stays
# under four minutes: FUZZ_SECONDS (default 20) per target, ten targets. Fails when a target
# finds a crash, a leak, a hang or a broken round trip; the input is then left in build-fuzz/. The
# mutations start from FUZZ_SEED (default 1), so that a run can be repeated.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
seconds=${FUZZ_SECONDS:-20}
build="$root/build-fuzz"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DWATTORIO_GUI=OFF \
    -DWATTORIO_TESTS=OFF -DWATTORIO_BENCH=OFF -DWATTORIO_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
targets=(listread yearbook tenday generator registry transfer csv meterfile interval tariff)
cmake --build "$build" -j "$jobs" --target "${targets[@]/#/fuzz_}"

for t in "${targets[@]}"; do
    echo "== Fuzzing $t for $seconds seconds"
    corpus="$build/corpus/$t"
    mkdir -p "$corpus"
    cp "$root/fuzz/corpus/$t/"* "$corpus/" 2>/dev/null || true
    (cd "$build" && "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -seed="${FUZZ_SEED:-1}" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=0 "$corpus" 2>"$build/fuzz_$t.log") || {
        tail -n 40 "$build/fuzz_$t.log"
        echo "fuzz_$t failed; the input that broke it is in $build"
        exit 1
    }
    grep -E "^Done|stat::number_of_executed_units" "$build/fuzz_$t.log" | tail -n 1 || true
done
