#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: first the
# whole suite (core, command-line companion and windows) under
# AddressSanitizer and UndefinedBehaviorSanitizer, then a short run of every
# fuzz target (when clang is here), then the Windows build under Wine (Qt for
# Windows is built first when this machine has none), then the whole suite of
# the normal build.
# ctest's summary of the normal build closes the output.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
werror=OFF
if [ "${CI:-}" = "true" ]; then
    werror=ON
fi

echo "== Sanitizer build of the whole suite =="
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DTOBREL_SANITIZE=ON -DTOBREL_BUILD_GUI=ON \
    -DTOBREL_BUILD_BENCH=OFF -DTOBREL_WERROR="$werror" >/dev/null
cmake --build build/asan -j "$jobs"
# tests/lsan.supp names the system libraries whose leaks are not ours.
if ! ASAN_OPTIONS=detect_leaks=1 \
    LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen QTEST_FUNCTION_TIMEOUT=60000 \
    ctest --test-dir build/asan --output-on-failure -j "$jobs" >build/asan/ctest.log 2>&1; then
    cat build/asan/ctest.log
    exit 1
fi
tail -n 3 build/asan/ctest.log

if command -v clang++-14 >/dev/null 2>&1; then
    echo "== Fuzzing: ${FUZZ_SECONDS:-20} s per target =="
    ./scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
fi

# The Windows build (tobrel.exe with Qt for Windows, tobrel-cli.exe), its
# tests under Wine, the real run of tobrel.exe and the zip, checked.
# TOBREL_WINDOWS=0 skips it; otherwise missing MinGW-w64 or Wine are installed.
run_windows=${TOBREL_WINDOWS:-1}
windows_status=0
if [ "$run_windows" = "1" ]; then
    echo "== Windows build, tests under Wine =="
    if TOBREL_WINDOWS=1 ./scripts/install-deps.sh &&
        command -v x86_64-w64-mingw32-g++-posix >/dev/null && command -v wineserver >/dev/null; then
        ./scripts/test-windows.sh "$werror" "$jobs" || windows_status=$?
        if [ "$windows_status" -eq 0 ] && [ "${TOBREL_WINDOWS_GUI:-1}" = "1" ]; then
            echo "== Windows package, checked in a fresh Wine prefix =="
            ./scripts/package-windows.sh "$jobs" "$werror" || windows_status=$?
        fi
    else
        echo "Windows build skipped: MinGW-w64 or Wine could not be installed"
    fi
else
    echo "== Windows build skipped (TOBREL_WINDOWS=$run_windows) =="
fi

echo "== Full build =="
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOBREL_WERROR="$werror" >/dev/null
cmake --build build/release -j "$jobs"
QT_QPA_PLATFORM=offscreen QTEST_FUNCTION_TIMEOUT=30000 \
    ctest --test-dir build/release --output-on-failure -j "$jobs"
if [ "$windows_status" -ne 0 ]; then
    echo "The Windows tests failed (see \"Windows build, tests under Wine\" above)" >&2
    exit "$windows_status"
fi
