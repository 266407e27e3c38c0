#!/usr/bin/env bash
# Draws the program's built-in icon into an icon theme folder: the scalable
# SVG and PNG pictures from 16 to 256 pixels (the build does the same into
# build/release/dist/icons/hicolor for installing).
# Usage: scripts/make-icons.sh [THEME_FOLDER]   (default build/icons/hicolor)
set -euo pipefail
cd "$(dirname "$0")/.."
theme=${1:-build/icons/hicolor}
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc 2>/dev/null || echo 2)" --target export_icons
QT_QPA_PLATFORM=offscreen build/release/dist/export_icons "$theme"
find "$theme" -type f | sort
