#!/usr/bin/env bash
# The Windows build proven here: installs mingw-w64 and Wine when missing, cross-builds with
# the "windows" preset, runs the whole cross-built test suite under Wine (quiet, in a
# throw-away prefix, with a private X display for the window tests), then runs
# hx4x-update.exe under Wine for an update of the emulated counter and for one against the
# simulated-counter Visa32.dll, which the Windows loader finds beside the program, drives the
# three window programs from the keyboard (scripts/windows-window-run.sh, photographs in
# build/windows/screenshots) and packs the release with every window program in it. Prints
# the test counts at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/install-deps.sh mingw-w64 wine64 wine

work=$(mktemp -d)
export HX4X_WINEPREFIX="$work/prefix"
export WINEPREFIX="$HX4X_WINEPREFIX" WINEDEBUG=-all
xvfb_pid=""
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# One prefix made before anything runs in it, then one server for every program: starting
# a server per test would cost seconds each. Its helper programs (services and the like)
# live as long as the server and are started by the first program run on it: that one
# runs with nothing open, or they would hold a build step's output pipe open for ever.
scripts/wine-run.sh cmd /c exit </dev/null >/dev/null 2>&1 || true
wineserver -w
wineserver -p
scripts/wine-run.sh cmd /c exit </dev/null >/dev/null 2>&1 || true
# Windows stay unmanaged: with no window manager on the private display every close would
# otherwise stall, in the tests and in the window runs below.
source scripts/wine-window.sh
wine_window_prepare

source scripts/private-display.sh
start_private_display "$work" 1024x768
export HX4X_WINE_DISPLAY=$DISPLAY

cmake --preset windows >/dev/null
cmake --build --preset windows
ctest --preset windows | tee "$work/ctest.txt" | grep -v "^ *Start \|Passed" || true
summary=$(grep -E "tests passed|tests failed" "$work/ctest.txt" | tail -1 || true)
grep -q "100% tests passed" "$work/ctest.txt" ||
    { echo "windows.sh: the tests under Wine failed: ${summary:-no summary}" >&2; exit 1; }

# The program folder as an operator has it: the program, and beside it the VISA library;
# the firmware in a folder with a blank, named as Windows names it.
bin="$work/program"
mkdir -p "$bin" "$work/fw files"
cp build/windows/console/hx4x-update.exe build/windows/tools/visa-sim/Visa32.dll "$bin/"
cp examples/sample-firmware.hex "$work/fw files/sample.hex"
wine() { "$root/scripts/wine-run.sh" "$@"; }
firmware=$(wine winepath -w "$work/fw files/sample.hex" | tr -d '\r')
[ -n "$firmware" ] || { echo "windows.sh: winepath gave no Windows path" >&2; exit 1; }

echo "== hx4x-update.exe: the emulated counter"
(cd "$work" && wine "$bin/hx4x-update.exe" emulate_counter=112 yes "$firmware")

echo "== hx4x-update.exe: the simulated counter through Visa32.dll beside the program"
cat >"$work/counter.cfg" <<CONFIG
timeouts immediate
resource USB0::0x5D3C::0x0090::100000::INSTR
    idn VALDMORE,HX-40XL,100000,V1.15 30 Jun 2020 07:14
    new_version V1.20 01 Feb 2021 10:00
    burn_ms 500
    image $work/received.bin
CONFIG
status=0
(cd "$work" && HX4X_VISA_SIM_CONFIG="$work/counter.cfg" \
    wine "$bin/hx4x-update.exe" yes json dump_firmware "hex_file=$firmware") >"$work/result.json" ||
    status=$?
grep -v '"event":"progress"' "$work/result.json" || true
fail() { echo "windows.sh: $*" >&2; exit 1; }
[ "$status" -eq 0 ] || fail "the simulated update ended with status $status"
grep -q '"burned":true' "$work/result.json" || fail "the simulated update did not burn"
grep -q '"exit_status":0' "$work/result.json" || fail "the simulated update did not succeed"
[ -s "$work/received.bin" ] || fail "the simulated counter received nothing"
[ -s "$work/fw files/sample.firmware" ] || fail "no firmware dump beside the firmware file"

echo "== hx4x-update.exe: Ctrl-C while sending cancels at a safe point and resets the counter"
# Wine hands SIGINT to the console control handlers as Ctrl-C, after a while of its own. A USB
# counter below 1.11 takes each block with a 200 ms delay after every write and read, so the
# sending still runs when the interrupt lands, however fast the simulated counter is.
wine build/windows/tools/hexgen/hexgen.exe --records 6000 --version 1.20 "$work/big.hex" >/dev/null
cat >"$work/interrupted.cfg" <<CONFIG
transcript $work/transcript.txt
resource USB0::0x5D3C::0x0090::100000::INSTR
    idn VALDMORE,HX-40XL,100000,V1.10 30 Jun 2020 07:14
CONFIG
(cd "$work" && HX4X_VISA_SIM_CONFIG="$work/interrupted.cfg" \
    exec "$root/scripts/wine-run.sh" "$bin/hx4x-update.exe" yes big.hex 2>"$work/interrupted.txt") &
update=$!
for _ in $(seq 600); do
    grep -q "Firmware sending... " "$work/interrupted.txt" 2>/dev/null && break
    sleep 0.1
done
kill -INT "$update"
status=0
wait "$update" || status=$?
tail -2 "$work/interrupted.txt"
[ "$status" -eq 8 ] || fail "Ctrl-C while sending ended with status $status, not 8"
last_data=$(grep -n "SYST:FIRM:DATA" "$work/transcript.txt" | tail -1 | cut -d: -f1)
last_reset=$(grep -n ":ABOR; \*rst; \*PSC 0; \*CLS" "$work/transcript.txt" | tail -1 | cut -d: -f1)
[ "${last_reset:-0}" -gt "${last_data:-0}" ] || fail "no reset after the interrupted sending"

echo "== the window programs: pages, updates, Escape while sending, Browse, a drop, a second copy"
bash scripts/windows-window-run.sh

echo "== the release archive"
bash scripts/windows-release.sh --strict

echo "== Windows tests (under Wine): $summary"
