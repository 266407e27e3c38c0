#!/usr/bin/env bash
# Configures the Windows build folder (build/windows) for test-windows.sh and
# package-windows.sh:
#   configure-windows.sh [WERROR=OFF] [JOBS=2] [cmake options...]
# The whole program: the static Qt for Windows is built first when the cache
# has none (scripts/build-qt-windows.sh). With TOBREL_WINDOWS_GUI=0 only the
# core and tobrel-cli, without Qt.
set -euo pipefail
cd "$(dirname "$0")/.."
werror=${1:-OFF}
jobs=${2:-2}
shift $(($# < 2 ? $# : 2))
build=build/windows
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
configure=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTOBREL_BUILD_GUI=OFF)
if [ "${TOBREL_WINDOWS_GUI:-1}" = "1" ]; then
    started=$(date +%s)
    qt=$(./scripts/build-qt-windows.sh "$jobs" | tail -n 1)
    echo "Qt for Windows: $qt ($(($(date +%s) - started)) s)"
    # Qt's toolchain file finds the static Qt and loads ours for the compilers.
    configure=(-DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake"
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain" -DTOBREL_BUILD_GUI=ON)
fi
# A build folder configured with another toolchain starts afresh.
if [ -f "$build/CMakeCache.txt" ] &&
    [ "$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' "$build/CMakeCache.txt")" != \
        "${configure[0]#-DCMAKE_TOOLCHAIN_FILE=}" ]; then
    rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
cmake -S . -B "$build" "${configure[@]}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOBREL_BUILD_BENCH=OFF \
    -DTOBREL_WERROR="$werror" "$@" >/dev/null
