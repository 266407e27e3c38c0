#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
# first the core tests under AddressSanitizer and UndefinedBehaviorSanitizer,
# then the whole suite (core, command-line companion and windows) of the
# normal build. ctest's summary of the whole suite closes the output.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
werror=OFF
if [ "${CI:-}" = "true" ]; then
    werror=ON
fi

echo "== Sanitizer build of the core tests =="
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DTOBREL_SANITIZE=ON -DTOBREL_BUILD_GUI=OFF \
    -DTOBREL_BUILD_BENCH=OFF -DTOBREL_WERROR="$werror" >/dev/null
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/asan -L core --output-on-failure -j "$jobs" | tail -n 3

echo "== Full build =="
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOBREL_WERROR="$werror" >/dev/null
cmake --build build/release -j "$jobs"
QT_QPA_PLATFORM=offscreen QTEST_FUNCTION_TIMEOUT=30000 \
    ctest --test-dir build/release --output-on-failure -j "$jobs"
