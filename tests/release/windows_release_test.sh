#!/usr/bin/env bash
# The Windows release archive (scripts/windows-release.sh) made from a stand-in build folder:
# which programs it takes, when it refuses, and what the archive holds. The stand-in
# programs are a few bytes that start as a Windows program does; stripping real ones is
# proven by scripts/windows.sh on the real build.
#
#   windows_release_test.sh SOURCE_DIR
set -uo pipefail
source_dir=$1
script=$source_dir/scripts/windows-release.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
fail() {
    echo "FAIL [$case_name]: $*" >&2
    failed=$((failed + 1))
    ok=false
}

windows_programs="HX4xLoader RV226xLoader LTA5xLMA5xLoader"
# A build folder holding the named programs: WHERE/NAME.exe for each WHERE:NAME, or
# WHERE/NAME.exe with other bytes for WHERE:NAME:elf.
make_build() {
    local build=$1 item where name kind
    shift
    mkdir -p "$build/bin" "$build/console"
    echo "CMAKE_PROJECT_VERSION:STATIC=9.8.7" >"$build/CMakeCache.txt"
    # The simulated-counter library beside the programs, as the test build has it.
    printf 'MZ sim' >"$build/bin/Visa32.dll"
    for item in "$@"; do
        IFS=: read -r where name kind <<<"$item"
        if [ "$kind" = elf ]; then
            printf '\177ELF %s' "$name" >"$build/$where/$name.exe"
        else
            printf 'MZ %s' "$name" >"$build/$where/$name.exe"
        fi
    done
}

all_windows="bin:HX4xLoader bin:RV226xLoader bin:LTA5xLMA5xLoader"
# name | options | environment | programs in the build | status | words said | programs packed
cases=(
    "every program, strict|--strict||$all_windows bin:hx4x-update|0||$windows_programs hx4x-update"
    "window programs missing, not strict|||console:hx4x-update|0|missing from .*: HX4xLoader.exe RV226xLoader.exe LTA5xLMA5xLoader.exe|hx4x-update"
    "window programs missing, strict|--strict||console:hx4x-update|1|missing from .*HX4xLoader.exe RV226xLoader.exe LTA5xLMA5xLoader.exe|"
    "one missing, strict from the environment||HX4X_RELEASE_STRICT=1|bin:HX4xLoader bin:RV226xLoader console:hx4x-update|1|missing from .*: LTA5xLMA5xLoader.exe$|"
    "no console program|||$all_windows|1|hx4x-update.exe is in neither|"
    "a program of the wrong system|||bin:HX4xLoader:elf bin:RV226xLoader bin:LTA5xLMA5xLoader console:hx4x-update|1|HX4xLoader.exe is not a Windows program|"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r case_name options environment programs want words packed <<<"$entry"
    ok=true
    build="$work/$passed-$failed/build"
    out="$work/$passed-$failed/out"
    # shellcheck disable=SC2086
    make_build "$build" $programs
    status=0
    # shellcheck disable=SC2086
    env $environment bash "$script" --no-strip $options --build "$build" --out "$out" \
        >"$work/said.txt" 2>&1 || status=$?
    archive="$out/hx4x-loader-9.8.7-windows-x64.zip"
    [ "$status" -eq "$want" ] || fail "status $status, not $want: $(cat "$work/said.txt")"
    [ -z "$words" ] || grep -q "$words" "$work/said.txt" || fail "said: $(cat "$work/said.txt")"
    if [ "$want" -ne 0 ]; then
        [ ! -e "$archive" ] || fail "an archive was left after the refusal"
    elif [ ! -f "$archive" ]; then
        fail "no archive $archive: $(cat "$work/said.txt")"
    else
        mkdir "$work/unpacked"
        (cd "$work/unpacked" && cmake -E tar xf "$archive")
        folder="$work/unpacked/hx4x-loader-9.8.7"
        expected=$( (for p in $packed; do echo "$p.exe"; done
            echo sample-firmware.hex; echo README-Windows.txt) | sort)
        [ "$(cd "$folder" && ls | sort)" = "$expected" ] ||
            fail "the archive holds: $(cd "$work/unpacked" && find . -type f | sort)"
        [ "$(ls "$work/unpacked")" = hx4x-loader-9.8.7 ] || fail "not one folder at the top"
        for p in $packed; do
            source_file=$build/bin/$p.exe
            [ -f "$source_file" ] || source_file=$build/console/$p.exe
            cmp -s "$source_file" "$folder/$p.exe" || fail "$p.exe differs from the build's"
        done
        cmp -s "$source_dir/examples/sample-firmware.hex" "$folder/sample-firmware.hex" ||
            fail "the sample firmware differs"
        readme=$folder/README-Windows.txt
        lines=$(wc -l <"$readme")
        [ "$lines" -gt 10 ] && [ "$(grep -c $'\r$' "$readme")" -eq "$lines" ] ||
            fail "README-Windows.txt has not a CR LF at every line end"
        grep -q $'\r\r' "$readme" && fail "README-Windows.txt has doubled CRs"
        for needed in "Version 9.8.7" HX4xLoader.exe Visa32.dll emulate_counter=112 \
            "hx4x-update.exe help"; do
            grep -qF "$needed" "$readme" || fail "README-Windows.txt lacks \"$needed\""
        done
        grep -q "@[A-Z]*@" "$readme" && fail "README-Windows.txt keeps a placeholder"
        rm -rf "$work/unpacked"
    fi
    $ok && passed=$((passed + 1))
done

# The same programs and SOURCE_DATE_EPOCH make the same archive, byte for byte.
case_name="reproducible"
ok=true
# shellcheck disable=SC2086
make_build "$work/same" $all_windows bin:hx4x-update
for run in 1 2; do
    SOURCE_DATE_EPOCH=1700000000 bash "$script" --no-strip --build "$work/same" \
        --out "$work/same/out$run" >/dev/null 2>&1 || fail "run $run failed"
    # The second run in another second of the clock, so a time taken from it would show.
    started=$(date +%s)
    while [ "$run" = 1 ] && [ "$(date +%s)" = "$started" ]; do sleep 0.05; done
done
cmp -s "$work/same/out1/hx4x-loader-9.8.7-windows-x64.zip" \
    "$work/same/out2/hx4x-loader-9.8.7-windows-x64.zip" || fail "two runs made different archives"
$ok && passed=$((passed + 1))

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
