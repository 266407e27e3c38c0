#!/usr/bin/env bash
# Redraws the splash picture app/resources/splash.ppm (324 x 244 pixels),
# which is kept in the repository and built into the program as a resource.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release --target make-splash
QT_QPA_PLATFORM=offscreen build/release/scripts/make-splash/make-splash app/resources/splash.ppm
echo "app/resources/splash.ppm written"
