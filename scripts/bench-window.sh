#!/usr/bin/env bash
# Times the window program from outside, on a private X server with the emulated counter:
#
#   bash scripts/bench-window.sh [RUNS] [PROGRAM]    (PROGRAM: a main-brand copy, HX4xLoader)
#
#   start to first paint: from the program's start until its logo is on the screen (the
#       screen polled about every millisecond for the logo's amber), median of RUNS (7).
#   idle CPU: user + system time and wake-ups (context switches) of the window while it
#       waits on its first page for 10 seconds, read from /proc/<pid>.
# Goals: under 200 ms, and no CPU at all when idle.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-7}
program=${2:-build/dev/bin/HX4xLoader}
if [ $# -lt 2 ]; then
    bash scripts/install-deps.sh
    cmake --preset dev >/dev/null
    cmake --build --preset dev --target loader_window_releases >/dev/null
fi

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

source scripts/private-display.sh
start_private_display "$work" 800x600
# A copy of its own, so that its settings and log stay in the work folder.
cp "$program" "$work/program"

python3 - "$work/program" "$runs" <<'EOF'
import ctypes
import os
import signal
import statistics
import subprocess
import sys
import time

program, runs = sys.argv[1], int(sys.argv[2])
x11 = ctypes.CDLL('libX11.so.6')
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XDisplayWidth.argtypes = x11.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                          ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XDestroyImage.argtypes = [ctypes.c_void_p]


class XImage(ctypes.Structure):
    _fields_ = [('width', ctypes.c_int), ('height', ctypes.c_int), ('xoffset', ctypes.c_int),
                ('format', ctypes.c_int), ('data', ctypes.c_void_p),
                ('byte_order', ctypes.c_int), ('bitmap_unit', ctypes.c_int),
                ('bitmap_bit_order', ctypes.c_int), ('bitmap_pad', ctypes.c_int),
                ('depth', ctypes.c_int), ('bytes_per_line', ctypes.c_int)]


display = x11.XOpenDisplay(None)
root = x11.XDefaultRootWindow(display)
width, height = x11.XDisplayWidth(display, 0), x11.XDisplayHeight(display, 0)
AMBER = bytes((0x3B, 0xA9, 0xF2))  # the logo's frame and rule, as blue, green, red


def logo_on_screen():
    image = x11.XGetImage(display, root, 0, 0, width, height, ~0 & 0xFFFFFFFF, 2)
    try:
        fields = XImage.from_address(image)
        pixels = ctypes.string_at(fields.data, fields.bytes_per_line * fields.height)
        return AMBER in pixels
    finally:
        x11.XDestroyImage(image)


def start():
    started = time.perf_counter()
    process = subprocess.Popen([program, 'emulate_counter=112'], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    while not logo_on_screen():
        if process.poll() is not None or time.perf_counter() - started > 10:
            sys.exit(f"bench-window: no window (exit status {process.poll()})")
        time.sleep(0.001)
    return process, (time.perf_counter() - started) * 1000


def stop(process):
    process.send_signal(signal.SIGTERM)
    process.wait()
    while logo_on_screen():  # the next start must find the screen empty
        time.sleep(0.01)


def usage(pid):
    """CPU ticks (user + system) and context switches of every thread of the process."""
    with open(f'/proc/{pid}/stat') as stat:
        fields = stat.read().rsplit(')', 1)[1].split()
    ticks = int(fields[11]) + int(fields[12])
    switches = 0
    for task in os.listdir(f'/proc/{pid}/task'):
        with open(f'/proc/{pid}/task/{task}/status') as status:
            for line in status:
                if 'ctxt_switches' in line:  # voluntary and nonvoluntary
                    switches += int(line.split()[1])
    return ticks, switches


stop(start()[0])  # a first start warms the caches and is not counted
times = []
for _ in range(runs):
    process, elapsed = start()
    times.append(elapsed)
    stop(process)
print("start to first paint: median %.0f ms (min %.0f, max %.0f, %d runs); goal < 200 ms" %
      (statistics.median(times), min(times), max(times), runs))
print("  runs: " + " ".join("%.0f" % t for t in times))

process, _ = start()
time.sleep(2)  # past the initial refresh of the instruments list
tick = os.sysconf('SC_CLK_TCK')
before = usage(process.pid)
time.sleep(10)
after = usage(process.pid)
stop(process)
print("idle CPU over 10 s: %d ms (%d ticks of %d per second), %d wake-ups; goal 0" %
      ((after[0] - before[0]) * 1000 // tick, after[0] - before[0], tick,
       after[1] - before[1]))
EOF
