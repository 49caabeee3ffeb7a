#!/usr/bin/env bash
# The window program updating a USB counter with no vendor VISA on the machine: the counter
# is an emulated USBTMC device (umockdev), the program finds the project's own USB library
# beside itself (no HX4X_VISA_LIBRARY), and the operator drives it from the keyboard: the
# instruments page lists the counter, Next identifies it, Start and Yes update it, and the
# success box closes with Return. Then the counter's transcript must show the burn order,
# the reconnection's identification and one reset after it, and the image it received must
# hold exactly the firmware file's bytes.
#
#   usb_operator_run_test.sh EMULATOR PROGRAM USB_LIBRARY FIRMWARE COMPARE_SCRIPT
set -euo pipefail
emulator=$1 program=$2 library=$3 firmware=$4 compare=$5
work=$(mktemp -d)
xvfb_pid=
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$program" "$library" "$work/"
loader="$work/$(basename "$program")"
unset HX4X_VISA_LIBRARY HX4X_VISA_SIM_CONFIG

source "$(dirname "$0")/../../../scripts/private-display.sh"
start_private_display "$work" 800x600

cat >"$work/counter.cfg" <<CONFIG
timeouts real
transcript $work/transcript.txt
resource USB0::0x5D3C::0x0090::100000::INSTR
    idn VALDMORE,HX-40XL,100000,V1.15
    new_version V1.20
    burn_ms 1500
    image_map $work/image.map
CONFIG

fail() {
    echo "$*"
    [ -f "$work/out.txt" ] && sed 's/^/  program: /' "$work/out.txt" | tail -12
    [ -f "$work/transcript.txt" ] && cut -c1-160 "$work/transcript.txt" | tail -40 |
        sed 's/^/  counter: /'
    exit 1
}

title="HX-4x Firmware Loader"
"$emulator" --config "$work/counter.cfg" -- "$loader" skip_readme "hex_file=$firmware" \
    >"$work/out.txt" 2>&1 &
run_pid=$!

# Waits until the program shows COUNT windows: the dialog, and a message box over it.
wait_windows() {
    local deadline=$((SECONDS + ${2:-30}))
    while [ "$SECONDS" -lt "$deadline" ]; do
        [ "$(xdotool search --onlyvisible --name "$title" 2>/dev/null | wc -l)" -eq "$1" ] &&
            return 0
        kill -0 "$run_pid" 2>/dev/null || fail "the program ended while waiting for $1 window(s)"
        sleep 0.05
    done
    fail "the program did not show $1 window(s)"
}
# Keys go to the newest window of the program: a message box when one is open.
press() {
    local newest
    newest=$(xdotool search --onlyvisible --name "$title" | tail -1)
    xdotool windowfocus --sync "$newest" 2>/dev/null || true
    xdotool key --delay 50 "$@"
}
# Polls the counter's transcript for a line matching PATTERN.
wait_transcript() {
    local deadline=$((SECONDS + 30))
    while [ "$SECONDS" -lt "$deadline" ]; do
        grep -q -- "$1" "$work/transcript.txt" 2>/dev/null && return 0
        sleep 0.05
    done
    fail "the counter never saw $1"
}

wait_windows 1
press Return                                   # Next: identification, the update page
wait_transcript "IDN?"
press Return                                   # Start, the page's default button
wait_windows 2                                 # the confirmation
press Return                                   # Yes
wait_windows 1
wait_windows 2 120                             # sending, the burn, the reconnection, the box
press Return
wait_windows 1
press Escape
deadline=$((SECONDS + 30))
while kill -0 "$run_pid" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.05; done
kill -0 "$run_pid" 2>/dev/null && fail "the window did not close"
status=0
wait "$run_pid" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"

transcript=$work/transcript.txt
order=$(grep -n -m1 "SYST:FIRM:UPD" "$transcript" | cut -d: -f1)
[ -n "$order" ] || fail "the counter was never told to burn"
# One reader for the whole check: grep -q leaving a pipe early would fail the writer with
# SIGPIPE under pipefail, and with it a run that was right.
awk -v from="$order" 'NR >= from && /IDN\?/ { found = 1 } END { exit !found }' "$transcript" ||
    fail "no identification after the burn"
resets=$(tail -n +"$order" "$transcript" | grep -c ":ABOR; \*rst; \*PSC 0; \*CLS" || true)
[ "$resets" -eq 1 ] || fail "$resets resets after the burn order, not 1"
/usr/bin/python3 "$compare" "$work/image.map" "$firmware" ||
    fail "the counter received other bytes than the firmware's"
grep -q "^last_used_instrument=USB0::0x5D3C::0x0090::100000::INSTR" "$loader.ini" ||
    fail "the settings do not name the USB counter"
echo "1 passed, 0 failed"
