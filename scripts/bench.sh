#!/usr/bin/env bash
# Builds the optimised preset and runs every benchmark, printing the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
for script in bench/*/run.sh; do
    [ -f "$script" ] || continue
    echo "== $script"
    bash "$script" build/release
done
