#!/usr/bin/env bash
# Runs the simulated counter's benchmark: BUILD_DIR is the release build.
set -euo pipefail
build=${1:-build/release}
"$build/benchmarks/sim_received_image_benchmark" --benchmark_min_time=1
