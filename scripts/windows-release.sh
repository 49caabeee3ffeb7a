#!/usr/bin/env bash
# The Windows release: one zip archive an operator unpacks and starts from, made from a
# Windows build (scripts/windows.sh runs this at its end):
#
#   bash scripts/windows-release.sh [--strict] [--no-strip] [--build DIR] [--out DIR]
#
# The archive, OUT/hx4x-loader-VERSION-windows-x64.zip (OUT is DIR/release by default, DIR
# is build/windows), holds one folder hx4x-loader-VERSION with the window programs
# HX4xLoader.exe, RV226xLoader.exe and LTA5xLMA5xLoader.exe (from DIR/bin), hx4x-update.exe
# (from DIR/bin or DIR/console), sample-firmware.hex and README-Windows.txt (from
# docs/README-Windows.txt, with Windows line ends). No Visa32.dll, even when a build puts the
# simulated-counter library beside the programs: one in the program's folder would be loaded
# before the VISA runtime the station has installed.
#
# A window program that is missing is warned about and left out, unless --strict (or
# HX4X_RELEASE_STRICT=1) makes it an error; hx4x-update.exe is always required. The programs
# are stripped of their debugging symbols (the version resource stays); --no-strip packs them
# as built. With SOURCE_DATE_EPOCH set, every file carries that time, and the archive is the
# same byte for byte from the same programs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

build=$root/build/windows
out=
strict=${HX4X_RELEASE_STRICT:-0}
strip=true
fail() { echo "windows-release.sh: $*" >&2; exit 1; }
while [ $# -gt 0 ]; do
    case $1 in
        --strict) strict=1 ;;
        --no-strip) strip=false ;;
        --build) [ $# -ge 2 ] || fail "--build needs a folder"; build=$2; shift ;;
        --out) [ $# -ge 2 ] || fail "--out needs a folder"; out=$2; shift ;;
        *) fail "unknown argument $1 (usage: windows-release.sh [--strict] [--no-strip] [--build DIR] [--out DIR])" ;;
    esac
    shift
done
[ "$strict" = 1 ] || [ "$strict" = 0 ] || fail "HX4X_RELEASE_STRICT must be 0 or 1, not $strict"
[ -d "$build" ] || fail "no Windows build in $build (bash scripts/windows.sh makes one)"
build=$(cd "$build" && pwd)
out=${out:-$build/release}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
[ -n "$version" ] ||
    version=$(sed -n 's/^project([^)]*VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt" | head -1)
[ -n "$version" ] || fail "cannot tell the version (neither $build/CMakeCache.txt nor CMakeLists.txt)"

# A program counts only if it is a Windows executable: a file of the host's format under an
# .exe name would pack a program no Windows station can start.
is_windows_program() { [ "$(head -c 2 "$1" 2>/dev/null)" = MZ ]; }

programs=()
missing=()
for name in HX4xLoader RV226xLoader LTA5xLMA5xLoader; do
    file=$build/bin/$name.exe
    if [ -f "$file" ]; then
        is_windows_program "$file" || fail "$file is not a Windows program"
        programs+=("$file")
    else
        missing+=("$name.exe")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    [ "$strict" = 1 ] && fail "window program(s) missing from $build/bin: ${missing[*]}"
    echo "windows-release.sh: warning: window program(s) missing from $build/bin, left out: ${missing[*]}" >&2
fi
update=
for file in "$build/bin/hx4x-update.exe" "$build/console/hx4x-update.exe"; do
    [ -f "$file" ] && { update=$file; break; }
done
[ -n "$update" ] || fail "hx4x-update.exe is in neither $build/bin nor $build/console"
is_windows_program "$update" || fail "$update is not a Windows program"
programs+=("$update")

stripper=
if $strip; then
    stripper=${HX4X_WINDOWS_STRIP:-x86_64-w64-mingw32-strip}
    command -v "$stripper" >/dev/null ||
        fail "$stripper not found (install mingw-w64, or pack unstripped with --no-strip)"
fi

folder=hx4x-loader-$version
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$folder"
entries=()
for file in "${programs[@]}"; do
    cp "$file" "$stage/$folder/"
    [ -z "$stripper" ] || "$stripper" "$stage/$folder/$(basename "$file")" ||
        fail "could not strip $(basename "$file")"
    entries+=("$folder/$(basename "$file")")
done
cp "$root/examples/sample-firmware.hex" "$stage/$folder/"
# Notepad before Windows 10 shows a text with bare line feeds as one line.
sed -e "s/@VERSION@/$version/g" -e 's/\r$//' -e 's/$/\r/' "$root/docs/README-Windows.txt" \
    >"$stage/$folder/README-Windows.txt"
entries+=("$folder/sample-firmware.hex" "$folder/README-Windows.txt")

mkdir -p "$out"
out=$(cd "$out" && pwd)
archive=$out/$folder-windows-x64.zip
# cmake stamps every entry with SOURCE_DATE_EPOCH when it is set; the entries go in the
# order listed, never in the order a folder happens to be read.
(cd "$stage" && cmake -E tar cf "$stage/archive.zip" --format=zip -- "${entries[@]}")

# What went in is read back, so a packer that drops or adds a file is caught here.
listed=$(cd "$stage" && cmake -E tar tf archive.zip | sort)
wanted=$(printf '%s\n' "${entries[@]}" | sort)
[ "$listed" = "$wanted" ] || fail "the archive holds other files than meant: $(tr "\n" " " <<<"$listed")"
mv -f "$stage/archive.zip" "$archive"
echo "windows-release.sh: $archive"
printf '  %s\n' "${entries[@]}"
