#!/usr/bin/env bash
# The portable Windows package: build/package/tobrel-<version>-win64.zip with
# tobrel.exe, tobrel-cli.exe, a short README (Japanese and English) and the
# licence texts of Qt and of the libraries built into the programs:
#   package-windows.sh [JOBS=2] [WERROR=OFF]
# Builds what it needs in build/windows (Qt for Windows first, when the cache
# has none), then checks the zip: unpacked into a fresh Wine prefix, the
# program starts from there on Xvfb and writes its settings file beside
# itself when closed, and tobrel-cli.exe answers.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${1:-2}
werror=${2:-OFF} # as test-windows.sh built it, so that nothing is rebuilt
TOBREL_WINDOWS=1 ./scripts/install-deps.sh
TOBREL_WINDOWS_GUI=1 ./scripts/configure-windows.sh "$werror" "$jobs"
build=build/windows
cmake --build "$build" -j "$jobs" --target tobrel tobrel-cli window_probe
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
qt_prefix=$(./scripts/build-qt-windows.sh "$jobs" | tail -n 1)
name=tobrel-$version-win64
out=$PWD/build/package
stage=$out/$name
rm -rf "$stage" "$out/$name.zip"
mkdir -p "$stage/licenses"

x86_64-w64-mingw32-strip -o "$stage/tobrel.exe" "$build/app/tobrel.exe"
x86_64-w64-mingw32-strip -o "$stage/tobrel-cli.exe" "$build/cli/tobrel-cli.exe"
# Only Windows' own DLLs may be imported.
windows_dlls='kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comdlg32|imm32|winmm|ws2_32'
windows_dlls+='|uxtheme|dwmapi|version|shlwapi|netapi32|userenv|wtsapi32|setupapi|opengl32|d3d9'
windows_dlls+='|d3d11|dxgi|dwrite|d2d1|msvcrt|authz|mpr|comctl32|cfgmgr32|shcore|bcrypt|api-ms-win-.*'
for exe in "$stage"/*.exe; do
    foreign=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' |
        tr 'A-Z' 'a-z' | grep -vxE "($windows_dlls)\.dll" || true)
    if [ -n "$foreign" ]; then
        echo "error: $(basename "$exe") needs DLLs Windows does not have: $foreign" >&2
        exit 1
    fi
done

# README.txt: UTF-8 with a byte-order mark and CR LF, as Notepad likes it.
{
    printf '\xef\xbb\xbf'
    sed "s/@VERSION@/$version/g" <<'EOF'
Tobrel @VERSION@ (Windows 64 ビット版)
==================================

PlayStation エミュレータ用のメモリーカード変換・設定ツールです。
VGS (.MEM)・bleem! (.MCD)・PSEmuPro/ePSXe (.MCR) のカードイメージの変換と
セーブ一覧、bleem! と VGS のカードスロットと VGS のコントローラ設定
(レジストリ)、6 つのプログラムのランチャー、コードリストの日本版抽出を
行います。

- tobrel.exe      ウィンドウ版 (DLL は不要です)
- tobrel-cli.exe  コマンドライン版 (tobrel-cli --help)

インストールは不要です。フォルダーごと好きな場所に置いて tobrel.exe を
起動してください。設定は tobrel.exe と同じフォルダーの TOBREL.INI に
書き込まれます (書き込めるフォルダーに置いてください)。
アンインストールはこのフォルダーを削除するだけです。レジストリに書くのは
エミュレータ自身の設定 (bleem! と VGS のカードスロット・コントローラ) だけです。

Tobrel @VERSION@ (64-bit Windows)
=================================

A memory-card converter and settings tool for PlayStation emulator users:
converts card images between VGS (.MEM), bleem! (.MCD) and PSEmuPro/ePSXe
(.MCR) and lists their saves, shows and changes the card slots of bleem! and
VGS and the VGS controller keys (in the registry), starts six registered
programs, and extracts the Japanese sections of a cheat code list.

- tobrel.exe      the windowed program (needs no DLL)
- tobrel-cli.exe  the command-line companion (tobrel-cli --help)

Nothing to install: put the folder anywhere and start tobrel.exe. The
settings are written to TOBREL.INI in the same folder as tobrel.exe (keep
the folder somewhere writable). To remove Tobrel, delete this folder. The
only registry values it writes are the emulators' own (the bleem! and VGS
card slots and controllers).

Licences: see the licenses folder. Qt 6 is used under the GNU LGPL 3 and is
linked statically; the complete source of Tobrel, to relink it with another
Qt, is at https://github.com/tobrel/tobrel, and Qt's source is Debian's
qt6-base package (the same version, 6.4.2).
EOF
} | sed 's/$/\r/' >"$stage/README.txt"

# Tobrel's own licence, Qt's licences and those of the libraries Qt bundles
# (zlib, PCRE2, libpng, HarfBuzz, FreeType, double-conversion, ...).
cp dist/copyright "$stage/licenses/Tobrel.txt"
cp -r "$qt_prefix/licenses/." "$stage/licenses/Qt"
# The C and C++ runtime of MinGW-w64 that is linked in (GCC's runtime library
# exception needs no text; mingw-w64's own notices do).
for f in /usr/share/doc/mingw-w64-common/copyright /usr/share/doc/gcc-mingw-w64-base/copyright; do
    [ -f "$f" ] && cp "$f" "$stage/licenses/$(basename "$(dirname "$f")").txt"
done

# A stable zip: fixed times and order.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
find "$stage" -exec touch -h -d "@$epoch" {} +
(cd "$out" && find "$name" -print | LC_ALL=C sort | zip -X -q -@ "$name.zip")
echo "Package: build/package/$name.zip ($(du -k "$out/$name.zip" | cut -f1) KB)"

# The check: a fresh prefix, the zip unpacked into C:\, the version resource
# read as Windows reads it, the program started from there on Xvfb, closed,
# its settings file beside it.
check=$out/check
rm -rf "$check"
mkdir -p "$check"
prefix=$check/prefix
run() { ./scripts/wine-run.sh "$prefix" "$@"; }
xvfb_pid=
cleanup() {
    env -u TMPDIR WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
for n in $(seq 141 190); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    sleep 1
    if kill -0 "$xvfb_pid" 2>/dev/null; then
        export DISPLAY=:$n
        break
    fi
    xvfb_pid=
done
[ -n "$xvfb_pid" ] || { echo "error: no free X display for the check" >&2; exit 1; }
run cmd /c exit >/dev/null 2>&1 || true
unzip -q "$out/$name.zip" -d "$prefix/drive_c"
cp "$build/tests/windows/window_probe.exe" "$check/"
probe() { run "$check/window_probe.exe" "$@" 2>/dev/null | sed 's/\r$//'; }
# Its usage goes to the error stream. Read whole, so that an early exit of
# grep cannot break the pipe (pipefail would count that as a failure).
cli_help=$(run "C:\\$name\\tobrel-cli.exe" --help 2>&1 | tr -d '\r' || true)
grep -q "tobrel-cli convert" <<<"$cli_help" ||
    { echo "error: tobrel-cli.exe from the zip does not answer --help" >&2; exit 1; }
exe_version=$(probe version "C:\\$name\\tobrel.exe" || true)
[ "$exe_version" = "$version.0" ] ||
    { echo "error: tobrel.exe's version resource says \"$exe_version\", not $version.0" >&2; exit 1; }
run "C:\\$name\\tobrel.exe" >/dev/null 2>&1 &
shown=
for _ in $(seq 1 120); do
    if probe windows | cut -d'|' -f1 | grep -x Tobrel >/dev/null; then
        shown=1
        break
    fi
    sleep 0.5
done
[ -n "$shown" ] || { echo "error: tobrel.exe from the zip did not show its window" >&2; exit 1; }
sleep 2
probe close Tobrel
ini=$prefix/drive_c/$name/TOBREL.INI
for _ in $(seq 1 40); do
    [ -f "$ini" ] && break
    sleep 0.5
done
[ -f "$ini" ] || { echo "error: no TOBREL.INI beside tobrel.exe after closing it" >&2; exit 1; }
echo "Checked: unpacked into a fresh Wine prefix, tobrel.exe $exe_version started, closed and wrote $name\\TOBREL.INI"
