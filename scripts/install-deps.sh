#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests, the fuzzers, the benchmarks, the
# package and the screenshots need (libusb for the own USB VISA library; umockdev and the
# Python VISA clients for its tests against an emulated USB counter), and any named on the
# command line (the Windows build's), touching apt only when something is missing.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    binutils srecord time
    qt6-base-dev xvfb xauth xdotool imagemagick fonts-dejavu-core libx11-dev
    dpkg-dev file desktop-file-utils python3 nlohmann-json3-dev
    libusb-1.0-0-dev libumockdev-dev umockdev python3-pyvisa python3-pyvisa-py python3-usb
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
