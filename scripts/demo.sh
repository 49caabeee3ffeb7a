#!/usr/bin/env bash
# A whole firmware update of the emulated counter on a fresh machine: installs what is
# missing, builds the console program and the window program (its release copies in
# build/dev/bin) and updates the emulated counter (version 1.12) with the sample firmware,
# showing the progress and the result.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev --target hx4x-update loader_window_releases
exec build/dev/console/hx4x-update emulate_counter=112 yes examples/sample-firmware.hex
