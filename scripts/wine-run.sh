#!/usr/bin/env bash
# Runs one cross-built Windows program under Wine, quietly, in a throw-away prefix of its
# own (HX4X_WINEPREFIX, else one in the user's cache folder). The build runs its
# own tools and lists the tests through this, and ctest runs every test through it.
set -euo pipefail
export WINEDEBUG=-all
# No display: a system box fails at once instead of waiting for a person, and the tests
# know they run here.
if [ -n "${HX4X_WINE_DISPLAY:-}" ]; then export DISPLAY=$HX4X_WINE_DISPLAY; else unset DISPLAY; fi
unset WAYLAND_DISPLAY
export HX4X_UNDER_WINE=1
export WINEPREFIX="${HX4X_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/hx4x-wine}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine) ||
    { echo "wine-run.sh: Wine is not installed (bash scripts/windows.sh installs it)" >&2; exit 127; }

# The first program to find no prefix makes it; the others wait for it, as two makers at
# once would spoil it.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            "$wine" wineboot --init >/dev/null 2>&1 || true
            wineserver -w 2>/dev/null || true
        fi
    ) 9>>"$WINEPREFIX.lock"
fi
exec "$wine" "$@"
