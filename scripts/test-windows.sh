#!/usr/bin/env bash
# Builds the core and tobrel-cli for Windows (MinGW-w64, static) in
# build/windows and runs their tests under Wine:
#   test-windows.sh [WERROR=OFF] [JOBS=2]
# One Wine prefix (build/windows/wineprefix) is prepared on first use and one
# persistent wineserver serves the whole run; it is stopped at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
werror=${1:-OFF}
jobs=${2:-2}
build=build/windows
# A Linux tobrel-cli for the registry round trip, when one is built.
linux_cli=
for candidate in build/asan/cli/tobrel-cli build/release/cli/tobrel-cli; do
    if [ -x "$candidate" ]; then
        linux_cli=$PWD/$candidate
        break
    fi
done
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOBREL_BUILD_GUI=OFF -DTOBREL_BUILD_BENCH=OFF \
    -DTOBREL_WERROR="$werror" -DTOBREL_LINUX_CLI="$linux_cli" >/dev/null
cmake --build "$build" -j "$jobs"
prefix=$PWD/$build/wineprefix
stop_server() { WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; }
trap stop_server EXIT
# The prefix is made, and the wineserver started, before the tests are listed:
# listing gives each program only a few seconds.
./scripts/wine-run.sh "$prefix" cmd /c exit >/dev/null 2>&1 || true
status=0
# Passing tests are left out of the listing; failures keep their output.
ctest --test-dir "$build" --output-on-failure -j "$jobs" |
    grep -Ev '^ +Start +[0-9]+: |\.\.\. +Passed +' || status=$?
exit $status
