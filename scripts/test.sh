#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: first the
# whole suite (core, command-line companion and windows) under
# AddressSanitizer and UndefinedBehaviorSanitizer, then a short run of every
# fuzz target (when clang is here), then the whole suite of the normal build.
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

echo "== Full build =="
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOBREL_WERROR="$werror" >/dev/null
cmake --build build/release -j "$jobs"
QT_QPA_PLATFORM=offscreen QTEST_FUNCTION_TIMEOUT=30000 \
    ctest --test-dir build/release --output-on-failure -j "$jobs"
