#!/usr/bin/env bash
# Runs the transfer benchmark of the update protocol: BUILD_DIR is the release build.
set -euo pipefail
build=${1:-build/release}
"$build/benchmarks/update_transfer_benchmark" --benchmark_min_time=1
