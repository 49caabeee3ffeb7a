#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed time (seconds, default 30).
# Crashes are kept under tests/data/fuzz/<target>/ so the ordinary tests replay them.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzzers
status=0
for target in build/fuzz/fuzzers/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=build/fuzz/corpus/$name
    crashes=tests/data/fuzz/$name
    mkdir -p "$corpus" "$crashes"
    seeds=()
    [ -d "fuzz/seeds/$name" ] && seeds+=("fuzz/seeds/$name")
    echo "== $name for ${seconds}s"
    if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -artifact_prefix="$crashes/" -print_final_stats=1 "$corpus" "${seeds[@]}" \
            > "build/fuzz/$name.out" 2>&1; then
        status=1
        tail -n 40 "build/fuzz/$name.out"
    fi
    grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "build/fuzz/$name.out" | tail -n 2 || true
done
exit $status
