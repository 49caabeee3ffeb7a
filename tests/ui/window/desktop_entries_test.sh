#!/usr/bin/env bash
# The desktop entries the package installs: one per release program, each valid for the
# desktop, starting its own program under its own name, with an icon of its own in every
# size the package installs (the package installs NAME-SIZE.png as NAME.png).
#
#   desktop_entries_test.sh DESKTOP_FILE_VALIDATE RESOURCES_DIR RELEASE_FILE...
set -uo pipefail
validate=$1
resources=$2
shift 2
status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}
value() { sed -n "s/^$1=//p" "$2"; }

shopt -s nullglob
entries=("$resources"/*.desktop)
[ ${#entries[@]} -eq $# ] || fail "${#entries[@]} desktop entries for $# release programs"
# Hints are advice; an error or a warning is a fault of the entry.
report=$("$validate" "${entries[@]}" 2>&1) || fail "desktop-file-validate failed"
faults=$(grep -v ': hint: ' <<<"$report")
[ -z "$faults" ] || fail "desktop-file-validate: $faults"

names=()
for program in "$@"; do
    matching=($(grep -l -x "Exec=$program" "${entries[@]}"))
    if [ ${#matching[@]} -ne 1 ]; then
        fail "$program: ${#matching[@]} entries start it"
        continue
    fi
    entry=${matching[0]}
    icon=$(value Icon "$entry")
    names+=("$(value Name "$entry")")
    [ "$icon" = "$(basename "$entry" .desktop)" ] || fail "$entry: icon $icon, not its own"
    [ "$(value StartupWMClass "$entry")" = "$program" ] || fail "$entry: window class"
    for size in 128 256; do
        png="$resources/icons/$icon-$size.png"
        # A PNG's width and height are the big-endian words at bytes 16 and 20.
        read -r -a header < <(od -An -tu1 -j16 -N8 "$png" 2>/dev/null)
        width=$(( ${header[2]:-0} * 256 + ${header[3]:-0} ))
        height=$(( ${header[6]:-0} * 256 + ${header[7]:-0} ))
        [ "$width $height" = "$size $size" ] || fail "$png: ${width} x ${height}, not $size x $size"
    done
done
duplicates=$(printf '%s\n' "${names[@]}" | sort | uniq -d)
[ -z "$duplicates" ] || fail "names shared by several entries: $duplicates"
exit $status
