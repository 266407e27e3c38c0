#!/usr/bin/env bash
# Builds Tobrel for Windows (MinGW-w64, static) in build/windows and runs its
# tests under Wine:
#   test-windows.sh [WERROR=OFF] [JOBS=2]
# This is the whole program: Qt for Windows (scripts/build-qt-windows.sh,
# built once per machine into a cache folder when missing), tobrel.exe,
# tobrel-cli.exe, the core tests, the window tests on the offscreen platform
# and the real run of tobrel.exe on Xvfb (tests/windows/real_run.sh). With
# TOBREL_WINDOWS_GUI=0, only the core and tobrel-cli.exe.
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
./scripts/configure-windows.sh "$werror" "$jobs" -DTOBREL_LINUX_CLI="$linux_cli"
cmake --build "$build" -j "$jobs"
prefix=$PWD/$build/wineprefix
stop_server() { env -u TMPDIR WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; }
trap stop_server EXIT
# The prefix is made, and the wineserver started, before the tests are listed:
# listing gives each program only a few seconds.
./scripts/wine-run.sh "$prefix" cmd /c exit >/dev/null 2>&1 || true
status=0
# Passing tests are left out of the listing; failures keep their output.
QTEST_FUNCTION_TIMEOUT=120000 ctest --test-dir "$build" --output-on-failure -j "$jobs" |
    grep -Ev '^ +Start +[0-9]+: |\.\.\. +Passed +' || status=$?
exit $status
