#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test (the debug build).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
ctest --preset dev
