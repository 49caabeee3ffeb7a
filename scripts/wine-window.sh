# Sourced by the scripts and tests that drive a Windows window program under Wine on a
# private X display (scripts/private-display.sh; the display reaches Wine as
# HX4X_WINE_DISPLAY, which scripts/wine-run.sh passes on). Runs the programs through
# scripts/wine-run.sh, in the prefix it picks.
#
#   wine_window_prepare                  once per run: Wine's X11 driver leaves the windows
#                                        unmanaged in the prefix (see below)
#   wine_windows [--pid PID] [--name TITLE]
#                                        the visible windows, bottom to top, one id a line
#   wine_window_wait COUNT [--pid PID] [--name TITLE] [--timeout SECONDS]
#                                        waits until exactly COUNT such windows are shown and
#                                        prints the top one (a message box over its dialog)
#   wine_window_wait_gone WINDOW [SECONDS]
#                                        waits until WINDOW is no longer shown
#   wine_window_keys WINDOW KEY...       gives WINDOW the keyboard focus, then presses KEYs
#   wine_window_geometry WINDOW          prints "X Y WIDTH HEIGHT" on the screen
#   wine_window_shot WINDOW FILE         photographs WINDOW into FILE (ImageMagick)
#
# Every wait polls and gives up after a bound in seconds (10 s unless said otherwise),
# returning 1 with a message on standard error; the geometry and the photograph return 1
# when the window is gone. TITLE is matched whole (no pattern); PID is the process id of
# the wine-run.sh started in the background, which Wine's window carries as _NET_WM_PID
# (wine-run.sh ends by exec, so the id stays the program's).
#
# The X11 driver's "Managed" mode hands top-level windows to a window manager. A private
# display has none: Wine then waits about two seconds for the manager's answer on every
# window it destroys (a message box closed with Return: 2.1 s instead of 0.1 s), draws no
# caption (the manager would), and a window gets the keyboard focus only as far as the
# missing manager's part of it goes. Unmanaged ("Managed"="N"), Wine places and frames the
# windows itself (the caption photographed is the one Windows draws), destroys them at once
# and takes the focus XSetInputFocus gives it. "xdotool windowactivate" asks a window manager
# for the focus, which nothing answers here, so the focus is given with
# "xdotool windowfocus --sync".

wine_window_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# The prefix scripts/wine-run.sh uses.
wine_window_prefix() {
    echo "${HX4X_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/hx4x-wine}"
}

# Whether the prefix's saved registry already says "Managed"="N" for the X11 driver. The
# server writes its registry out some time after a change, so a value just set may not be
# there yet: this only spares a Wine start for a prefix kept from an earlier run.
wine_window_saved_unmanaged() {
    local registry
    registry="$(wine_window_prefix)/user.reg"
    [ -f "$registry" ] || return 1
    awk '/^\[/ { section = ($0 ~ /^\[Software\\\\Wine\\\\X11 Driver\]/) }
         section && $0 == "\"Managed\"=\"N\"" { found = 1 }
         END { exit !found }' "$registry"
}

# Sets the X11 driver's "Managed" to "N" in the prefix, once per run: the value is read by
# each Wine process as it starts, so it must be there before the first window program. The
# export tells the scripts and tests this run starts that it is done for this prefix.
wine_window_prepare() {
    local prefix
    prefix=$(wine_window_prefix)
    [ "${HX4X_WINE_UNMANAGED:-}" = "$prefix" ] && return 0
    if ! wine_window_saved_unmanaged; then
        "$wine_window_scripts/wine-run.sh" reg add 'HKCU\Software\Wine\X11 Driver' \
            /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1 ||
            { echo "wine-window.sh: could not set the X11 driver's Managed value in $prefix" >&2
              return 1; }
    fi
    export HX4X_WINE_UNMANAGED=$prefix
}

# Reads --pid, --name and --timeout into the caller's pid, name and timeout.
wine_window_options() {
    while [ $# -gt 0 ]; do
        case $1 in
            --pid) pid=$2; shift 2 ;;
            --name) name=$2; shift 2 ;;
            --timeout) timeout=$2; shift 2 ;;
            *) echo "wine-window.sh: unknown option $1" >&2; return 1 ;;
        esac
    done
}

wine_windows() {
    local pid="" name="" timeout="" window
    wine_window_options "$@" || return 1
    local search=(xdotool search --onlyvisible)
    if [ -n "$pid" ]; then search+=(--pid "$pid"); else search+=(--name .); fi
    # xdotool matches names as patterns: the title is compared whole here instead.
    for window in $("${search[@]}" 2>/dev/null); do
        [ -z "$name" ] || [ "$(xdotool getwindowname "$window" 2>/dev/null)" = "$name" ] ||
            continue
        echo "$window"
    done
}

# Microseconds since the epoch, for the deadlines: every bound is time, not a count of
# polls, which would stretch with the xdotool calls each poll makes.
wine_window_now() {
    echo "${EPOCHREALTIME/./}"
}

# The deadline TIMEOUT seconds (a decimal allowed) from now, in microseconds.
wine_window_deadline() {
    echo $(($(wine_window_now) + $(awk -v s="$1" 'BEGIN { printf "%d", s * 1000000 }')))
}

wine_window_wait() {
    local count=$1 pid="" name="" timeout=10 shown deadline
    shift
    wine_window_options "$@" || return 1
    local filter=()
    [ -n "$pid" ] && filter+=(--pid "$pid")
    [ -n "$name" ] && filter+=(--name "$name")
    deadline=$(wine_window_deadline "$timeout")
    while :; do
        shown=$(wine_windows "${filter[@]}")
        if [ "$(grep -c . <<<"$shown")" -eq "$count" ]; then
            [ "$count" -eq 0 ] || tail -1 <<<"$shown"
            return 0
        fi
        [ "$(wine_window_now)" -lt "$deadline" ] || break
        sleep 0.05
    done
    echo "wine-window.sh: not $count window(s) ${filter[*]} within $timeout s:" \
        "$(grep -c . <<<"$shown") shown" >&2
    return 1
}

wine_window_wait_gone() {
    local window=$1 timeout=${2:-10} deadline
    deadline=$(wine_window_deadline "$timeout")
    while :; do
        xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$window" || return 0
        [ "$(wine_window_now)" -lt "$deadline" ] || break
        sleep 0.05
    done
    echo "wine-window.sh: window $window still shown after $timeout s" >&2
    return 1
}

wine_window_keys() {
    local window=$1
    shift
    xdotool windowfocus --sync "$window" &&
        xdotool key --delay 50 "$@"
}

# Fails (status 1, nothing printed) when the window is gone: Wine may replace a window's X
# window between a search and this call.
wine_window_geometry() {
    local shell X="" Y="" WIDTH="" HEIGHT=""
    shell=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || return 1
    eval "$(grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9-]+$' <<<"$shell")"
    [ -n "$X" ] && [ -n "$Y" ] && [ -n "$WIDTH" ] && [ -n "$HEIGHT" ] || return 1
    echo "$X $Y $WIDTH $HEIGHT"
}

wine_window_shot() {
    local window=$1 file=$2 geometry x y width height
    geometry=$(wine_window_geometry "$window") || return 1
    read -r x y width height <<<"$geometry"
    import -window root -crop "${width}x${height}+${x}+${y}" +repage "$file"
}
