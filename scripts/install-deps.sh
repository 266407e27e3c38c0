#!/usr/bin/env bash
# Installs the Debian 12 packages Tobrel needs, only those that are missing.
# With package names as arguments, installs those instead (for other scripts).
set -euo pipefail

packages=("$@")
[ $# -gt 0 ] || packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-translations-l10n libgl-dev
    fonts-ipafont-gothic
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth libxcb1-dev xdotool
    clang-14 libclang-rt-14-dev
    libssl-dev
)
# The Windows build and its tests under Wine; scripts/test.sh sets
# TOBREL_WINDOWS=1 to add them. Qt for Windows is built from Debian's source
# package (dpkg-dev, ninja-build); the real run of tobrel.exe needs Xvfb,
# xdotool and Wine's own fonts (without them the caption buttons show letters).
if [ "${TOBREL_WINDOWS:-}" = "1" ]; then
    packages+=(g++-mingw-w64-x86-64-posix mingw-w64 googletest wine64 wine
        dpkg-dev ninja-build xvfb xdotool fonts-wine python3 zip unzip)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        sudo_cmd=(sudo)
    else
        echo "error: root rights are needed to install: ${missing[*]}" >&2
        exit 1
    fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
