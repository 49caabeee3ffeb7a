#!/usr/bin/env bash
# The native Windows window programs driven under Wine as an operator drives them, on a
# private X display: keys through "xdotool windowfocus --sync" and "xdotool key", a file
# dropped from a file manager through XDND, every wait a bounded poll. scripts/windows.sh
# runs this after its own updates, in its prefix and on its display:
#
#   bash scripts/windows-window-run.sh [OUTPUT_DIR] [--docs]
#
# What is proven, run by run (each names its step when it fails):
#   pages     the three pages by Return, each photographed; the window's client area is the
#             picture's 580x388 inside an even frame
#   update    Start and Yes by Return against the emulated counter; the confirmation and the
#             success box, read through Wine's trace of the message boxes; back to idle,
#             where Browse opens (Tab to it, space) and Escape closes the open-file dialog
#   start     the start option: the confirmation opens at once over the shown window and
#             takes Return; the success box follows
#   dump      an update of a simulated USB counter through Visa32.dll beside the program,
#             with dump_firmware: the dump's blocks and the image the counter received both
#             hold exactly the firmware file's bytes
#   cancel    Escape while sending: "canceled" box, the counter reset after the last data
#             command and never told to burn
#   drop      a file dropped on the first page is taken as the firmware file; a second copy
#             started meanwhile ends by itself with status 0 and the first stays; the
#             settings written at Exit beside the program, in the profile layout with CRLF
#   brands    every page of RV226xLoader.exe and LTA5xLMA5xLoader.exe, each window titled
#             with its own program name
#
# The photographs go to OUTPUT_DIR (build/windows/screenshots by default); --docs also
# renews docs/screenshots/windows-update.png and windows-sending.png (256 colours).
#
# Without HX4X_WINE_DISPLAY (scripts/windows.sh exports it) the script starts its own X
# server and uses HX4X_WINEPREFIX, or else a prefix of its own for the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

out=build/windows/screenshots
docs=false
for argument in "$@"; do
    case $argument in
        --docs) docs=true ;;
        -*) echo "windows-window-run.sh: unknown option $argument" >&2; exit 1 ;;
        *) out=$argument ;;
    esac
done

build=$root/build/windows
drop_tool=$root/build/dev/tools/xdnd-drop/xdnd-drop
for file in "$build/bin/HX4xLoader.exe" "$build/bin/RV226xLoader.exe" \
    "$build/bin/LTA5xLMA5xLoader.exe" "$build/tools/visa-sim/Visa32.dll" \
    "$build/tools/hexgen/hexgen.exe"; do
    [ -f "$file" ] || { echo "windows-window-run.sh: $file is missing (bash scripts/windows.sh builds it)" >&2; exit 1; }
done
# The drop tool is an X11 program of this machine, from the native build.
if [ ! -x "$drop_tool" ]; then
    [ -f build/dev/CMakeCache.txt ] || cmake --preset dev >/dev/null
    cmake --build build/dev --target xdnd-drop >/dev/null
fi
mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out/failure.png"

work=$(mktemp -d)
xvfb_pid=
app_pid=
own_server=false
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    $own_server && wineserver -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

if [ -z "${HX4X_WINE_DISPLAY:-}" ]; then
    source scripts/private-display.sh
    start_private_display "$work" 1024x768
    export HX4X_WINE_DISPLAY=$DISPLAY
    if [ -z "${HX4X_WINEPREFIX:-}" ]; then
        export HX4X_WINEPREFIX="$work/prefix"
        own_server=true
    fi
    export WINEPREFIX=$HX4X_WINEPREFIX WINEDEBUG=-all
    # As in scripts/windows.sh: the first program on a server starts its helper programs,
    # which must not inherit an output pipe of this run; one server for every program.
    scripts/wine-run.sh cmd /c exit </dev/null >/dev/null 2>&1 || true
    if $own_server; then
        wineserver -w
        wineserver -p
        scripts/wine-run.sh cmd /c exit </dev/null >/dev/null 2>&1 || true
    fi
fi
export DISPLAY=$HX4X_WINE_DISPLAY
source scripts/wine-window.sh
wine_window_prepare

# --- starting the window programs ----------------------------------------------------------

# The programs run as scripts/wine-run.sh runs them, in its prefix, but with Wine's trace of
# the message boxes on: a box's text is drawn inside its X window, and this trace line
# (trace:msgbox:MSGBOX_OnInit L"<text>") is the one place it can be read from outside.
# The locale is pinned because Wine takes its ANSI code page from it, and these programs
# hand file names to the system as ANSI text (code page 1252 under C.UTF-8).
wine_binary=/usr/lib/wine/wine64
[ -x "$wine_binary" ] || wine_binary=$(command -v wine64 || command -v wine)
prefix=$(wine_window_prefix)

# start_program FOLDER LOG [NAME=VALUE...] PROGRAM [ARGUMENT...]: starts PROGRAM (given with
# its full path, as a double-click does) in the background in FOLDER with the variables
# given, its standard error into LOG; leaves the process id in app_pid (the subshell and env
# end by exec, so it is the program's, which its windows carry).
start_program() {
    local folder=$1 log=$2 variables=()
    shift 2
    while [[ $1 =~ ^[A-Za-z_][A-Za-z0-9_]*= ]]; do variables+=("$1"); shift; done
    (cd "$folder" && exec env -u WAYLAND_DISPLAY -u HX4X_VISA_SIM_CONFIG \
        DISPLAY="$HX4X_WINE_DISPLAY" WINEPREFIX="$prefix" HX4X_UNDER_WINE=1 LC_ALL=C.UTF-8 \
        WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}" WINEDEBUG=-all,trace+msgbox \
        "${variables[@]}" "$wine_binary" "$@" </dev/null >/dev/null 2>"$log") &
    app_pid=$!
}

step=setup
started=$(date +%s)
# Names the step for the failure messages and the log, with the seconds since the start.
begin() {
    step=$1
    echo "-- $step ($(($(date +%s) - started)) s)"
}
fail() {
    echo "windows-window-run.sh: $step: $*" >&2
    import -window root "$out/failure.png" 2>/dev/null &&
        echo "windows-window-run.sh: the screen is in $out/failure.png" >&2
    [ -n "${log:-}" ] && [ -f "$log" ] && tail -5 "$log" | sed 's/^/  program: /' >&2
    exit 1
}

# --- watching the windows ----------------------------------------------------------------

# The window's size as "WIDTH HEIGHT"; the step fails when the window is gone.
window_size() {
    local geometry
    geometry=$(wine_window_geometry "$1") || fail "window $1 is gone"
    cut -d' ' -f3,4 <<<"$geometry"
}

# The window's pixels, raw, into FILE; status 1 when the window is gone.
grab() {
    local geometry x y width height
    geometry=$(wine_window_geometry "$1") || return 1
    read -r x y width height <<<"$geometry"
    import -window root -crop "${width}x${height}+${x}+${y}" +repage -depth 8 "rgb:$2" \
        2>/dev/null || return 1
    echo "${width}x${height}" >"$2.size"
}

# shoot WINDOW NAME [UNLIKE]: waits until the window's picture holds still (the same on two
# grabs in a row) and, with UNLIKE, differs from that earlier picture (a page change drawn);
# writes it as OUTPUT_DIR/NAME.png and keeps the raw picture as $work/NAME.rgb for a later
# UNLIKE. The program's window may be replaced by Wine meanwhile: it is then found again.
shoot() {
    local target=$1 name=$2 unlike=${3:-} raw=$work/$2.rgb
    : >"$work/last.rgb"
    for _ in $(seq 50); do
        if ! grab "$target" "$raw"; then
            [ "$target" = "$window" ] || fail "the window for $name is gone"
            settled_window
            target=$window
            : >"$work/last.rgb"
            continue
        fi
        if cmp -s "$raw" "$work/last.rgb" &&
            { [ -z "$unlike" ] || ! cmp -s "$raw" "$work/$unlike.rgb"; }; then
            convert -size "$(cat "$raw.size")" -depth 8 "rgb:$raw" "$out/$name.png"
            return 0
        fi
        cp "$raw" "$work/last.rgb"
    done
    fail "the window's picture for $name did not settle${unlike:+ on a change from $unlike}"
}

# keys WINDOW KEY...: gives WINDOW the focus and presses the keys; the program's window is
# found again first when Wine has replaced it.
keys() {
    local target=$1
    shift
    if [ "$target" = "$window" ] && ! wine_window_geometry "$window" >/dev/null; then
        settled_window
        target=$window
    fi
    wine_window_keys "$target" "$@" 2>/dev/null || fail "the keys $* did not reach window $target"
}

# The last message box the program showed, from the trace in its log.
last_box() {
    grep -a "trace:msgbox:MSGBOX_OnInit" "$log" | tail -1 | sed 's/^.*MSGBOX_OnInit L"//'
}

# box WANTED_COUNT WHAT TEXT: waits for the program's box over its window (a second window,
# named as the program is) and for the trace of a box whose text starts with TEXT. Prints
# the box's window.
box() {
    local shown=$1 what=$2 text=$3 window
    window=$(wine_window_wait 2 --pid "$app_pid" --timeout "$shown") || fail "no $what box"
    [ "$(xdotool getwindowname "$window")" = "$title" ] ||
        fail "the $what box is titled \"$(xdotool getwindowname "$window")\", not \"$title\""
    for _ in $(seq 100); do
        [[ $(last_box) == "$text"* ]] && { echo "$window"; return 0; }
        sleep 0.05
    done
    fail "the box shown is not the $what box: \"$(last_box)\""
}

# Waits for the program to end after its window has gone; it must end with status 0.
ended() {
    local status=0
    wine_window_wait_gone "$window" || fail "the window did not close"
    for _ in $(seq 200); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.05; done
    kill -0 "$app_pid" 2>/dev/null && fail "the program still runs with its window closed"
    wait "$app_pid" || status=$?
    app_pid=
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

# The program's one window into $window once it has held still: the same X window on two
# polls in a row, its place readable. Wine may show a window and then replace its X window
# (a search can return the one about to go), so a window seen once is not yet the window.
settled_window() {
    local status=0 deadline seen=
    deadline=$(wine_window_deadline 60)
    window=
    while :; do
        # A program that ends at once (refused, or taken for a second copy) shows no window.
        if ! kill -0 "$app_pid" 2>/dev/null; then
            wait "$app_pid" || status=$?
            app_pid=
            fail "the program ended with status $status before its window appeared"
        fi
        [ "$(wine_window_now)" -lt "$deadline" ] || fail "no window held still within 60 s"
        window=$(wine_window_wait 1 --pid "$app_pid" --timeout 0.5 2>/dev/null) || window=
        if [ -n "$window" ] && wine_window_geometry "$window" >/dev/null; then
            [ "$window" = "$seen" ] && return 0
            seen=$window
        else
            seen=
        fi
        sleep 0.1
    done
}

# The program's window, once shown, and its title (the program name, which every box of
# the program carries too).
first_window() {
    settled_window
    title=$(xdotool getwindowname "$window" 2>/dev/null) || title=
    [ -n "$title" ] || fail "the window has no title"
}

# --- the firmware checks ---------------------------------------------------------------------

# "ADDRESS BYTE" in decimal for every data byte of an Intel HEX file, in address order.
hex_bytes() {
    tr -d '\r' <"$1" | awk '
        function value(text,   i, v) {
            v = 0
            for (i = 1; i <= length(text); i++)
                v = v * 16 + index("0123456789ABCDEF", toupper(substr(text, i, 1))) - 1
            return v
        }
        /^:/ {
            count = value(substr($0, 2, 2)); offset = value(substr($0, 4, 4))
            type = value(substr($0, 8, 2))
            if (type == 4) base = value(substr($0, 10, 4)) * 65536
            else if (type == 2) base = value(substr($0, 10, 4)) * 16
            else if (type == 0)
                for (i = 0; i < count; i++)
                    printf "%.0f %d\n", base + offset + i, value(substr($0, 10 + 2 * i, 2))
        }' | sort -n -k1,1
}

# The same for a firmware dump: one "{b,b,...}," line with CRLF per block, the block being
# its start address (4 bytes, low first), its length (1 or 2 bytes, low first), the payload
# and a checksum that brings the sum of all bytes to zero. A line out of that shape is
# reported on standard error and ends the listing with status 1.
dump_bytes() {
    awk '
        !/^\{[0-9]+(,[0-9]+)*\},\r$/ { print "line " NR " is not a block line" > "/dev/stderr"; exit 1 }
        {
            line = $0; gsub(/[{}\r]/, "", line); sub(/,$/, "", line)
            n = split(line, b, ",")
            address = b[1] + b[2] * 256 + b[3] * 65536 + b[4] * 16777216
            if (n == b[5] + 6) { length_ = b[5]; first = 6 }
            else if (n == b[5] + b[6] * 256 + 7) { length_ = b[5] + b[6] * 256; first = 7 }
            else { print "line " NR ": its length field does not match" > "/dev/stderr"; exit 1 }
            sum = 0
            for (i = 1; i <= n; i++) sum += b[i]
            if (sum % 256 != 0) { print "line " NR ": bad checksum" > "/dev/stderr"; exit 1 }
            for (i = 0; i < length_; i++) printf "%.0f %d\n", address + i, b[first + i]
        }' "$1" | sort -n -k1,1
    return "${PIPESTATUS[0]}"
}

# The same for the simulated counter's image map: "0xADDRESS LENGTH HEXBYTES" per run.
map_bytes() {
    awk '
        function value(text,   i, v) {
            v = 0
            for (i = 1; i <= length(text); i++)
                v = v * 16 + index("0123456789ABCDEF", toupper(substr(text, i, 1))) - 1
            return v
        }
        { address = value(substr($1, 3))
          for (i = 0; i < $2; i++) printf "%.0f %d\n", address + i, value(substr($3, 1 + 2 * i, 2)) }
    ' "$1" | sort -n -k1,1
}

# The path Wine gives a program for a file of this machine (its Z: drive is the root).
windows_path() {
    local path=$1
    printf 'Z:%s' "${path//\//\\}"
}

# --- the operator's files --------------------------------------------------------------------

# The program folder as unpacked from the release, with a blank as in "Program Files", and
# the simulated VISA library beside the programs, where the Windows loader looks first (the
# emulated counter never asks it; the simulated one is configured per run).
programs="$work/Loader Programs"
firmware_folder="$work/fw files"
mkdir -p "$programs" "$firmware_folder" "$work/drop files"
cp "$build/bin/HX4xLoader.exe" "$build/bin/RV226xLoader.exe" "$build/bin/LTA5xLMA5xLoader.exe" \
    "$build/tools/visa-sim/Visa32.dll" "$programs/"
loader="$programs/HX4xLoader.exe"
cp examples/sample-firmware.hex "$firmware_folder/sample.hex"
# Sending long enough to be photographed and interrupted: see the cancel run.
scripts/wine-run.sh "$build/tools/hexgen/hexgen.exe" --records 6000 --version 1.20 \
    "$firmware_folder/hx-40xl-1.20.hex" </dev/null >/dev/null 2>&1 ||
    fail "hexgen.exe did not make the long firmware file"

# --- pages and the emulated update -----------------------------------------------------------

begin pages
log=$work/pages.log
start_program "$firmware_folder" "$log" "$loader" emulate_counter=112 hex_file=sample.hex
first_window
hx4x_title=$title
size=$(window_size "$window")
read -r width height <<<"$size"
frame_x=$((width - 580)) frame_y=$((height - 388))
[ "$frame_x" -ge 0 ] && [ "$frame_x" -eq "$frame_y" ] && [ $((frame_x % 2)) -eq 0 ] ||
    fail "the window is ${width}x${height}: not the 580x388 client area in an even frame"
shoot "$window" page1-readme
keys "$window" Return
shoot "$window" page2-instruments page1-readme
keys "$window" Return
shoot "$window" page3-update page2-instruments

begin update
keys "$window" Return                           # Start, the page's default button
question=$(box 30 confirmation "Selected counter:")
shoot "$question" message-question
keys "$question" Return                         # Yes
wine_window_wait_gone "$question" || fail "Yes did not close the confirmation"
success=$(box 60 success "Firmware update completed successfully")
shoot "$success" message-success
keys "$success" Return
wine_window_wait 1 --pid "$app_pid" >/dev/null || fail "the success box did not close"

begin browse
# Back to idle, Start has the focus again: Tab passes the identification view and the file
# box to Browse, which is enabled only outside an update.
keys "$window" Tab Tab Tab space
browse=$(wine_window_wait 2 --pid "$app_pid" --timeout 20) || fail "Browse did not open a dialog"
[ "$(xdotool getwindowname "$browse")" = "Browse..." ] ||
    fail "the dialog opened is \"$(xdotool getwindowname "$browse")\", not the open-file dialog"
shoot "$browse" browse-dialog
keys "$browse" Escape
wine_window_wait_gone "$browse" || fail "Escape did not close the open-file dialog"
keys "$window" Escape
ended

# --- the start option -----------------------------------------------------------------------

begin start
log=$work/start.log
# The confirmation opens as the window starts: it must stand over a window already shown
# and take the keys given to it.
start_program "$firmware_folder" "$log" "$loader" emulate_counter=112 hex_file=sample.hex start
question=$(box 30 confirmation "Selected counter:")
keys "$question" Return                         # Yes
wine_window_wait_gone "$question" || fail "Yes did not close the confirmation"
success=$(box 60 success "Firmware update completed successfully")
keys "$success" Return
window=$(wine_window_wait 1 --pid "$app_pid") || fail "the success box did not close"
keys "$window" Escape
ended

# --- a simulated counter through Visa32.dll, with the firmware dump ----------------------

begin dump
log=$work/dump.log
firmware=$(windows_path "$firmware_folder/sample.hex")
cat >"$work/counter.cfg" <<CONFIG
timeouts immediate
resource USB0::0x5D3C::0x0090::100000::INSTR
    idn VALDMORE,HX-40XL,100000,V1.15 30 Jun 2020 07:14
    new_version V1.20 01 Feb 2021 10:00
    burn_ms 500
    image_map $work/received.map
CONFIG
start_program "$work" "$log" HX4X_VISA_SIM_CONFIG="$work/counter.cfg" "$loader" \
    dump_firmware "hex_file=$firmware"
first_window
keys "$window" Return Return Return             # Next, Next, Start
question=$(box 30 confirmation "Selected counter:")
[[ $(last_box) == *"V1.15 30 Jun 2020"* ]] || fail "the confirmation does not name the simulated counter"
keys "$question" Return
wine_window_wait_gone "$question" || fail "Yes did not close the confirmation"
success=$(box 60 success "Firmware update completed successfully")
# The version read back after the burn: the counter was reopened and identified.
[[ $(last_box) == *"V1.20 01 Feb 2021"* ]] || fail "the success box does not give the new version"
keys "$success" Return
wine_window_wait 1 --pid "$app_pid" >/dev/null || fail "the success box did not close"
keys "$window" Escape
ended
dump="$firmware_folder/sample.firmware"
[ -s "$dump" ] || fail "no firmware dump beside the firmware file"
hex_bytes "$firmware_folder/sample.hex" >"$work/wanted.txt"
[ -s "$work/wanted.txt" ] || fail "no data read from the firmware file"
dump_bytes "$dump" >"$work/dumped.txt" || fail "the dump $dump is malformed"
cmp -s "$work/wanted.txt" "$work/dumped.txt" || fail "the dump's blocks do not hold the firmware's bytes"
[ -s "$work/received.map" ] || fail "the simulated counter received no image"
map_bytes "$work/received.map" >"$work/received.txt"
cmp -s "$work/wanted.txt" "$work/received.txt" ||
    fail "the simulated counter received other bytes than the firmware's"

# --- Escape while sending --------------------------------------------------------------------

begin cancel
log=$work/cancel.log
# A USB counter below 1.11 takes each block with a 200 ms pause after every write and read,
# so the sending still runs when Escape arrives, however fast the simulated counter is.
cat >"$work/interrupted.cfg" <<CONFIG
transcript $work/transcript.txt
resource USB0::0x5D3C::0x0090::100000::INSTR
    idn VALDMORE,HX-40XL,100000,V1.10 30 Jun 2020 07:14
CONFIG
start_program "$firmware_folder" "$log" HX4X_VISA_SIM_CONFIG="$work/interrupted.cfg" \
    "$loader" hex_file=hx-40xl-1.20.hex
first_window
keys "$window" Return Return Return
question=$(box 30 confirmation "Selected counter:")
keys "$question" Return
wine_window_wait_gone "$question" || fail "Yes did not close the confirmation"
# A few blocks in, so the bar in the photograph has moved (about 45 blocks in all).
sent() { grep -c "SYST:FIRM:DATA" "$work/transcript.txt" 2>/dev/null || true; }
for _ in $(seq 600); do
    [ "$(sent)" -ge 5 ] && break
    sleep 0.05
done
[ "$(sent)" -ge 5 ] || fail "five blocks were not sent within 30 s"
# One grab: the bar moves on while sending, so the picture never holds still.
wine_window_shot "$window" "$out/busy-sending.png" || fail "the window is gone while sending"
keys "$window" Escape
canceled=$(box 20 cancel "Operation canceled by user")
shoot "$canceled" message-canceled
keys "$canceled" Return
wine_window_wait 1 --pid "$app_pid" >/dev/null || fail "the cancel box did not close"
keys "$window" Escape
ended
last_data=$(grep -n "SYST:FIRM:DATA" "$work/transcript.txt" | tail -1 | cut -d: -f1)
last_reset=$(grep -n ":ABOR; \*rst; \*PSC 0; \*CLS" "$work/transcript.txt" | tail -1 | cut -d: -f1)
[ "${last_reset:-0}" -gt "${last_data:-0}" ] || fail "no reset after the interrupted sending"
! grep -q "SYST:FIRM:UPD" "$work/transcript.txt" || fail "the counter was told to burn"

# --- a drop on the first page, a second copy, the settings ---------------------------------

begin drop
log=$work/drop.log
# A blank, a letter outside ASCII and a percent sign: encoded in the drop's URI, decoded by
# Wine, handed to the program in its ANSI code page.
dropped="$work/drop files/fw é 100%.hex"
cp examples/sample-firmware.hex "$dropped"
start_program "$work" "$log" "$loader" emulate_counter=112
first_window
size=$(window_size "$window")
read -r width height <<<"$size"
"$drop_tool" --timeout 10 "$window" $((width / 2)) $((height / 2)) "$dropped" >/dev/null ||
    fail "the window did not take the drop"

begin "second copy"
first=$app_pid
start_program "$work" "$work/second.log" "$loader" emulate_counter=112
second=$app_pid
app_pid=$first
for _ in $(seq 200); do kill -0 "$second" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$second" 2>/dev/null; then
    kill "$second"
    fail "the second copy still runs after 10 s"
fi
status=0
wait "$second" || status=$?
[ "$status" -eq 0 ] || fail "the second copy ended with status $status"
kill -0 "$first" 2>/dev/null || fail "the first copy ended"
[ "$(wine_windows --pid "$first")" = "$window" ] || fail "the first copy's window is no longer shown"

step=drop
# The first copy still answers the keyboard; its update page shows the dropped file.
keys "$window" Return
shoot "$window" dropped-page2
keys "$window" Return
shoot "$window" dropped-file dropped-page2
keys "$window" Escape                           # Exit, which writes the settings
ended

begin settings
settings="$programs/HX4xLoader.ini"
[ -f "$settings" ] || fail "no settings file beside the program"
expected=$(windows_path "$dropped" | iconv -f UTF-8 -t CP1252)
[ "$(head -1 "$settings")" = $'[HX4xLoader]\r' ] || fail "the settings do not begin with [HX4xLoader]"
[ "$(tail -c 2 "$settings" | od -An -c | tr -d ' ')" = '\r\n' ] ||
    fail "the settings' last line does not end in CRLF"
! LC_ALL=C grep -qv $'\r$' "$settings" || fail "a settings line does not end in CRLF"
! LC_ALL=C grep -q $'\r\r' "$settings" || fail "a settings line ends in CR CR LF"
lines=$(tr -d '\r' <"$settings")
for wanted in "hex_file_name_0=$expected" "last_used_hex_file=$expected" \
    "last_used_instrument=USB0::0x5D3C::0x0090::100000::INSTR"; do
    LC_ALL=C grep -qxF -- "$wanted" <<<"$lines" ||
        fail "no line \"$(iconv -f CP1252 -t UTF-8 <<<"$wanted")\" in: $(iconv -f CP1252 -t UTF-8 <<<"$lines")"
done

# --- the partner brands ----------------------------------------------------------------------

for name in RV226xLoader LTA5xLMA5xLoader; do
    begin "$name"
    log=$work/$name.log
    start_program "$firmware_folder" "$log" "$programs/$name.exe" \
        emulate_counter=112 hex_file=sample.hex
    first_window
    [ "$title" != "$hx4x_title" ] || fail "the window is titled as HX4xLoader's: \"$title\""
    shoot "$window" "brand-$name-readme"
    keys "$window" Return
    shoot "$window" "brand-$name-instruments" "brand-$name-readme"
    keys "$window" Return
    shoot "$window" "brand-$name" "brand-$name-instruments"
    keys "$window" Escape
    ended
done

if $docs; then
    mkdir -p docs/screenshots
    convert "$out/page3-update.png" -strip +dither -colors 256 PNG8:docs/screenshots/windows-update.png
    convert "$out/busy-sending.png" -strip +dither -colors 256 PNG8:docs/screenshots/windows-sending.png
    echo "docs/screenshots/windows-update.png docs/screenshots/windows-sending.png"
fi
echo "-- every step passed in $(($(date +%s) - started)) s; the photographs are in $out"
