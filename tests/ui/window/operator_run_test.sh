#!/usr/bin/env bash
# One update as an operator does it from the keyboard alone, in a real X server: start the
# window program, go to the update page with Enter, Tab round to the file box and type the
# firmware file, start with Enter, confirm with Enter, wait for the success box, close it and
# the window with Enter and Escape, then read the settings file the window wrote.
set -euo pipefail
program=$1
firmware=$2
work=$(mktemp -d)
xvfb_pid=
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$program" "$work/"
loader="$work/$(basename "$program")"

source "$(dirname "$0")/../../../scripts/private-display.sh"
start_private_display "$work" 800x600

"$loader" emulate_counter=112 skip_readme >"$work/out.txt" 2>&1 &
loader_pid=$!
window=$(xdotool search --sync --onlyvisible --name "HX-4x Firmware Loader" | head -1)
# Keys go to the newest window of the program: a message box, when one is open, else the
# main window (both carry the program name as their title).
press() {
    local newest
    newest=$(xdotool search --onlyvisible --name "HX-4x Firmware Loader" | tail -1)
    xdotool windowfocus --sync "${newest:-$window}" 2>/dev/null || true
    xdotool key --delay 50 "$@"
    sleep 0.2
    [ -n "${SHOTS:-}" ] && import -window root "$SHOTS/$(date +%s%N).png" || true
}

# Waits until the program shows COUNT windows: the dialog, and a message box over it.
wait_windows() {
    for _ in $(seq 300); do
        [ "$(xdotool search --onlyvisible --name "HX-4x Firmware Loader" 2>/dev/null | wc -l)" \
            -eq "$1" ] && return 0
        sleep 0.05
    done
    echo "the program did not show $1 window(s)"
    exit 1
}

press Return                                   # Next: the update page, Start focused
press Tab Tab                                  # round past the identification view
xdotool type --delay 2 "$firmware"             # into the file box
press Return                                   # Start, the default button
wait_windows 2                                 # the preparation, then the confirmation
press Return                                   # Yes
wait_windows 1
wait_windows 2                                 # sending and the burn, then the success box
press Return                                   # OK on the success box
wait_windows 1
press Escape                                   # closes the window, keeping the settings
for _ in $(seq 50); do kill -0 "$loader_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$loader_pid" 2>/dev/null && { echo "the window did not close"; exit 1; }

settings="$work/$(basename "$program").ini"
grep -q "^last_used_hex_file=$firmware" "$settings" || { echo "no settings: $(cat "$settings" 2>&1)"; exit 1; }
grep -q "^hex_file_name_0=$firmware" "$settings"
grep -q "^last_used_instrument=USB0::0x5D3C::0x0090::100000::INSTR" "$settings"
echo "1 passed, 0 failed"
