# Sourced by the scripts that run the window: start_private_display WORK SIZE starts an X
# server on a free display (Xvfb picks the number) and exports DISPLAY and a runtime folder
# under WORK, so the single-instance guard never meets a copy someone else runs on this
# machine. The server's process id is left in xvfb_pid for the caller's clean-up.
start_private_display() {
    local work=$1 size=$2
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
    [ -s "$work/display" ] || { echo "$(basename "$0"): Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(cat "$work/display")"
    export XDG_RUNTIME_DIR="$work/run"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
}
