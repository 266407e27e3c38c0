#!/usr/bin/env bash
# Installs what is missing, builds Tobrel and starts it. Without a display
# it runs on a virtual one (Xvfb) and saves a screenshot of the window.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$jobs" --target tobrel tobrel-cli

app=build/release/app/tobrel
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$app"
fi

shot=build/tobrel-screenshot.png
echo "No display found: starting Tobrel on a virtual display (Xvfb)."
echo "A screenshot of its window is written to $shot every few seconds."
echo "Press Ctrl+C to close Tobrel (its settings are saved as on any close)."
export TOBREL_SCREENSHOT="$PWD/$shot"
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$app"
