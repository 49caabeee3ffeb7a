#!/usr/bin/env bash
# A firmware file dropped on the window from a file manager, in a real X server: the drop
# goes through XDND (tools/xdnd-drop) with a path holding a blank, a letter outside ASCII and
# a percent sign, so the URI must be encoded and decoded on the way. The drop on the update
# page starts the update with that file (the confirmation names it, Yes runs it to the
# success box), and the settings written at close list it as the last and first recent
# file. Before that, the drop tool's own refusals: a point where nothing takes drops, a point
# outside the window, and a program that does not answer (stopped), which must end in
# bounded time rather than hang the run.
#
#   file_drop_test.sh XDND_DROP PROGRAM FIRMWARE
set -euo pipefail
drop_tool=$1
program=$2
firmware_source=$3
work=$(mktemp -d)
xvfb_pid=
loader_pid=
cleanup() {
    [ -n "$loader_pid" ] && kill -CONT "$loader_pid" 2>/dev/null && kill "$loader_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/out.txt" ] && sed 's/^/program: /' "$work/out.txt" >&2
    exit 1
}

cp "$program" "$work/"
loader="$work/$(basename "$program")"
mkdir "$work/Prüf daten"
firmware="$work/Prüf daten/fw é 100%.hex"
cp "$firmware_source" "$firmware"

source "$(dirname "$0")/../../../scripts/private-display.sh"
start_private_display "$work" 800x600

"$loader" emulate_counter=112 skip_readme >"$work/out.txt" 2>&1 &
loader_pid=$!

# The program's visible windows, bottom to top: the dialog, and a message box over it.
windows() { xdotool search --onlyvisible --pid "$loader_pid" 2>/dev/null || true; }
# Waits until the program shows COUNT windows, the top one other than NOT_TOP if given.
wait_windows() {
    local count=$1 not_top=${2:-} shown
    for _ in $(seq 300); do
        shown=$(windows)
        if [ "$(grep -c . <<<"$shown")" -eq "$count" ] &&
            [ "$(tail -1 <<<"$shown")" != "$not_top" ]; then
            return 0
        fi
        kill -0 "$loader_pid" 2>/dev/null || fail "the program ended early"
        sleep 0.05
    done
    fail "the program did not show $count window(s)"
}
press() {
    xdotool windowfocus --sync "$(windows | tail -1)" key "$1"
}

wait_windows 1
window=$(windows)
eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
middle_x=$((WIDTH / 2))
middle_y=$((HEIGHT / 2))
# A corner of the screen the window leaves bare (it is placed, not maximised, on 800x600).
if [ $((X + WIDTH)) -lt 799 ]; then bare="799 599"; elif [ "$X" -gt 0 ]; then bare="0 599";
else bare="799 599"; fi

# The drop tool's refusals, each with its status and the words that explain it.
refusals=(
    "2|no window under the point takes drops|root $bare"
    "1|lies outside window|$window $((WIDTH + 5)) $middle_y"
    "3|no XdndStatus from|--timeout 1 $window $middle_x $middle_y"
)
for case in "${refusals[@]}"; do
    IFS='|' read -r want words arguments <<<"$case"
    stopped=false
    [ "$want" = 3 ] && { kill -STOP "$loader_pid"; stopped=true; }
    started=$(date +%s%N)
    status=0
    # shellcheck disable=SC2086
    "$drop_tool" $arguments "$firmware" 2>"$work/drop.txt" || status=$?
    elapsed_ms=$((($(date +%s%N) - started) / 1000000))
    $stopped && kill -CONT "$loader_pid"
    [ "$status" -eq "$want" ] || fail "xdnd-drop $arguments: status $status, not $want: $(cat "$work/drop.txt")"
    grep -q "$words" "$work/drop.txt" || fail "xdnd-drop $arguments said: $(cat "$work/drop.txt")"
    [ "$elapsed_ms" -lt 5000 ] || fail "xdnd-drop $arguments took $elapsed_ms ms"
done

# The update page, then the drop: the program reads the file at once for the confirmation.
press Return
"$drop_tool" "$window" "$middle_x" "$middle_y" "$firmware" >/dev/null ||
    fail "the window did not take the drop"
wait_windows 2
question=$(windows | tail -1)
press Return                                   # Yes
wait_windows 2 "$question"                     # sending and the burn, then the success box
press Return
wait_windows 1
press Escape                                   # closes the window, keeping the settings
for _ in $(seq 100); do kill -0 "$loader_pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$loader_pid" 2>/dev/null && fail "the window did not close"
wait "$loader_pid" || fail "the program ended with status $?"
loader_pid=

# The settings file has Windows line ends on every system.
[ -f "$loader.ini" ] || fail "no settings file"
settings=$(tr -d '\r' <"$loader.ini")
grep -qxF "last_used_hex_file=$firmware" <<<"$settings" || fail "settings: $settings"
grep -qxF "hex_file_name_0=$firmware" <<<"$settings" || fail "settings: $settings"
echo "1 passed, 0 failed"
