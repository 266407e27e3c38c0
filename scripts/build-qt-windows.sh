#!/usr/bin/env bash
# Builds a static Qt for 64-bit Windows (MinGW-w64) from Debian's own source
# package qt6-base, the same version as the Linux Qt, once per machine:
#   build-qt-windows.sh [JOBS=2]
# Prints the install prefix on its last line; its lib/cmake/Qt6/qt.toolchain.cmake
# configures the Windows build of the program. The prefix lives in a cache
# folder outside the checkout, named by Qt version and options, and is reused
# when present (a finished build leaves .complete in it). The source and build
# trees are made beside it and deleted after the install.
#
# The source package is fetched with apt-get source (a deb-src entry for the
# Debian mirror the machine already uses is added when missing). apt checks
# every file against the signed Sources index; the files' SHA-256 sums are then
# checked again against the .dsc before anything is unpacked.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${1:-$(nproc 2>/dev/null || echo 2)}
scripts=$PWD/scripts

# The source version follows the Linux Qt: its moc, rcc and uic are the host
# tools of the cross build.
qt_source_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
qt_version=${qt_source_version%%+*}
triple=x86_64-w64-mingw32

# Only what the program and its tests use: Widgets, the Windows platform
# plugin and its styles, PNG, the offscreen platform and QtTest. Wintab's
# header is not in Debian's source (no tablet events); the Windows platform
# plugin needs OpenGL, which 6.4 builds as dynamic OpenGL.
qt_options=(
    -DBUILD_SHARED_LIBS=OFF
    -DCMAKE_BUILD_TYPE=Release
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_BENCHMARKS=OFF
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++
    -DFEATURE_sql=OFF
    -DFEATURE_network=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_tabletevent=OFF
    -DFEATURE_jpeg=OFF
    -DFEATURE_gif=OFF
    -DFEATURE_vulkan=OFF
    -DINPUT_opengl=desktop
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_png=OFF
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_freetype=OFF
    -DFEATURE_testlib=ON
)
options_hash=$(printf '%s\n' "$qt_source_version" "${qt_options[@]}" | sha256sum | cut -c1-12)
cache_root=${TOBREL_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tobrel}
prefix=$cache_root/qt-$qt_version-mingw-$options_hash

if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

TOBREL_WINDOWS=1 "$scripts/install-deps.sh" dpkg-dev ninja-build cmake qt6-base-dev \
    qt6-base-private-dev qt6-base-dev-tools g++-mingw-w64-x86-64-posix mingw-w64 >&2

mkdir -p "$cache_root"
exec 8>"$prefix.lock"
flock 8
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi
work=$prefix.work
rm -rf "$prefix" "$work"
mkdir -p "$work/src"
cleanup() { rm -rf "$work"; }
trap cleanup EXIT
started=$(date +%s)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
cd "$work/src"
if ! apt-get source --download-only --print-uris "qt6-base=$qt_source_version" 2>/dev/null | grep -q "\.dsc'"; then
    # A deb-src entry beside the machine's own Debian entries, same mirrors.
    echo "Adding a deb-src entry for the Debian mirror in use" >&2
    src_list=/etc/apt/sources.list.d/tobrel-deb-src.sources
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            "${sudo_cmd[@]}" tee "$src_list" >/dev/null
    else
        grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
            "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/tobrel-deb-src.list >/dev/null
    fi
    "${sudo_cmd[@]}" apt-get update -qq >&2
fi
apt-get source --download-only "qt6-base=$qt_source_version" >&2
dsc=$(ls qt6-base_*.dsc)
# Every file the .dsc names, against its SHA-256 sum there.
awk '/^Checksums-Sha256:/ {on=1; next} /^[^ ]/ {on=0} on && NF==3 {print $1 "  " $3}' "$dsc" >sums
[ -s sums ] || { echo "error: no SHA-256 sums in $dsc" >&2; exit 1; }
sha256sum --quiet -c sums >&2
dpkg-source --no-check -x "$dsc" qtbase >&2

# Debian's compilers; Qt's own toolchain file for the program is made at install.
cat >"$work/mingw.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $triple-gcc-posix)
set(CMAKE_CXX_COMPILER $triple-g++-posix)
set(CMAKE_RC_COMPILER $triple-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$triple)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
generator=()
if command -v ninja >/dev/null; then
    generator=(-G Ninja)
fi
cmake "${generator[@]}" -S "$work/src/qtbase" -B "$work/build" \
    -DCMAKE_TOOLCHAIN_FILE="$work/mingw.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${qt_options[@]}" >"$work/configure.log" 2>&1 ||
    { tail -n 60 "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 ||
    { grep -B5 -A20 -m3 'error' "$work/build.log" >&2 || tail -n 60 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >/dev/null
mkdir -p "$prefix/licenses"
cp -r "$work/src/qtbase/LICENSES/." "$prefix/licenses/" 2>/dev/null || true
cp "$work/src/qtbase/debian/copyright" "$prefix/licenses/debian-copyright"
# The third-party parts Qt bundles, each with its licence file as shipped.
(cd "$work/src/qtbase/src/3rdparty" &&
    find . \( -iname 'LICENSE*' -o -iname 'COPYING*' -o -iname 'qt_attribution.json' \
        -o -iname 'README' -o -iname 'LICENCE*' -o -iname 'NOTICE*' \) -type f |
    while read -r f; do mkdir -p "$prefix/licenses/3rdparty/$(dirname "$f")" &&
        cp "$f" "$prefix/licenses/3rdparty/$f"; done)
echo "$(( $(date +%s) - started ))" >"$prefix/.build-seconds"
touch "$prefix/.complete"
echo "Qt $qt_version for Windows built in $(( ($(date +%s) - started) / 60 )) min" >&2
echo "$prefix"
