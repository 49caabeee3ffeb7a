#!/usr/bin/env bash
# Photographs the window program on a private X server, driven by the keyboard as an
# operator would drive it, against the emulated counter:
#
#   bash scripts/screenshots.sh [OUTPUT_DIR] [--docs]
#
# Writes into OUTPUT_DIR (build/screenshots by default) a PNG of each page, of the busy
# state while sending and while burning, of the confirmation and the success boxes, and
# of every page and the busy state of each partner brand. --docs also refreshes the three pages of the main brand
# under docs/screenshots/ (reduced to 256 colours, so the repository stays small).
set -euo pipefail
cd "$(dirname "$0")/.."

out=build/screenshots
docs=false
for argument in "$@"; do
    case "$argument" in
        --docs) docs=true ;;
        *) out=$argument ;;
    esac
done

[ -n "${HX4X_SKIP_BUILD:-}" ] || bash scripts/install-deps.sh
[ -n "${HX4X_SKIP_BUILD:-}" ] || cmake --preset dev >/dev/null
[ -n "${HX4X_SKIP_BUILD:-}" ] || cmake --build --preset dev --target loader_window_releases hexgen
bin=build/dev/bin
mkdir -p "$out"
out=$(cd "$out" && pwd)

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

source scripts/private-display.sh
start_private_display "$work" 1024x768

# Enough records that sending lasts a few seconds, long enough to be photographed; the
# programs run in the work folder, so the file box shows a short name.
firmware=hx-40xl-1.20.hex
build/dev/tools/hexgen/hexgen --records 100000 --version 1.20 "$work/$firmware" >/dev/null

# Starts a fresh copy of a release (its own folder, so no settings carry over) and waits
# for its window.
start() {
    local name=$1
    shift
    mkdir -p "$work/$name"
    cp "$bin/$name" "$work/$name/$name"
    (cd "$work" && exec "$work/$name/$name" emulate_counter=112 "$@" >/dev/null 2>&1) &
    app_pid=$!
    wait_windows 1
    dialog=$(xdotool search --onlyvisible --pid "$app_pid" | head -1)
    sleep 0.7  # the initial refresh of the instruments list
}

# Waits until the program shows COUNT windows (the dialog, then a message box over it).
wait_windows() {
    for _ in $(seq 200); do
        [ "$(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | wc -l)" -eq "$1" ] &&
            return 0
        sleep 0.05
    done
    echo "screenshots: the program did not show $1 window(s)" >&2
    exit 1
}

# The newest visible window of the program: a message box while one is shown.
top_window() {
    xdotool search --onlyvisible --pid "$app_pid" | tail -1
}

# Photographs the screen and keeps the window's rectangle.
shoot() {
    local window=$1 file=$2 X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$file"
    echo "$out/$file"
}

press() {
    xdotool windowfocus --sync "$(top_window)" key "$1"
    sleep 0.4
}

# Whether the Cancel button stands at the bottom left of the dialog's last photograph: it
# does while sending, and it is hidden for the burn. A button is light with dark letters; the
# picture behind it is even (dark, or white at the foot of a partner brand's gradient).
cancel_shown() {
    local shown
    shown=$(convert "$out/$1" -crop 60x14+18+360 -colorspace Gray \
        -format '%[fx:mean > 0.5 && standard_deviation > 0.1 ? 1 : 0]' info:)
    [ "$shown" = 1 ]
}

finish() {
    press Escape
    wait "$app_pid" || true
    app_pid=
}

# Sends the update on the page shown and photographs the busy state while sending and while
# burning, with PREFIX before the file names, then the confirmation and the success boxes.
shoot_update() {
    local prefix=$1
    xdotool windowfocus --sync "$dialog" key Return
    wait_windows 2
    sleep 0.3
    shoot "$(top_window)" "${prefix}message-question.png"
    xdotool windowfocus --sync "$(top_window)" key Return
    sleep 0.4  # past the file parsing, inside the second or so of sending
    shoot "$dialog" "${prefix}busy-sending.png"
    cancel_shown "${prefix}busy-sending.png" ||
        echo "screenshots: ${prefix}busy-sending.png may not show the sending" >&2
    for _ in $(seq 200); do
        shoot "$dialog" "${prefix}busy-burning.png" >/dev/null
        cancel_shown "${prefix}busy-burning.png" || break
        sleep 0.1
    done
    sleep 0.5
    shoot "$dialog" "${prefix}busy-burning.png"
    wait_windows 2
    sleep 0.3
    shoot "$(top_window)" "${prefix}message-success.png"
    press Return
}

start HX4xLoader "hex_file=$firmware"
shoot "$dialog" page1-readme.png
press Return
shoot "$dialog" page2-instruments.png
press Return
shoot "$dialog" page3-update.png
cp "$out/page3-update.png" "$out/brand-HX4xLoader.png"
shoot_update ""
finish

# Every page of the partner brands, and their busy state, where the captions stand on the
# pale end of the gradient.
for name in RV226xLoader LTA5xLMA5xLoader; do
    start "$name" "hex_file=$firmware"
    shoot "$dialog" "brand-$name-readme.png"
    press Return
    shoot "$dialog" "brand-$name-instruments.png"
    press Return
    shoot "$dialog" "brand-$name.png"
    shoot_update "brand-$name-"
    finish
done

if $docs; then
    mkdir -p docs/screenshots
    for page in page1-readme page2-instruments page3-update; do
        convert "$out/$page.png" -strip +dither -colors 256 "PNG8:docs/screenshots/$page.png"
        echo "docs/screenshots/$page.png"
    done
fi
