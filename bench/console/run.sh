#!/usr/bin/env bash
# Four USB counters in one run against one: BUILD_DIR is the release build. Prints both
# times and their ratio, which should stay at most 1.2.
set -euo pipefail
build=${1:-build/release}
json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$build/benchmarks/several_counters_benchmark" --benchmark_out="$json" --benchmark_out_format=json
python3 - "$json" <<'PY'
import json, sys
runs = {b["name"].split("/")[0]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]}
one, four = runs["BM_OneUsbCounter"], runs["BM_FourUsbCounters"]
print(f"one counter {one:.2f} s, four counters {four:.2f} s, ratio {four / one:.2f} (goal: at most 1.20)")
PY
