#!/usr/bin/env bash
# Installs the build into a staging folder (DESTDIR, prefix /usr) and checks
# the layout a package gets: exactly the expected files, runnable programs,
# icons of the size their folder names, a desktop entry and AppStream data
# that name what is installed, manual pages that render cleanly and, with the
# completion, cover every command `tobrel-cli --help` lists.
# Usage: check_install.sh BUILD_DIR APPSTREAM_ID
set -euo pipefail
build=$1
appstream_id=$2

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
usr=$stage/usr
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

sizes=(16 22 24 32 48 64 128 256)
expected=(
    bin/tobrel bin/tobrel-cli
    share/applications/tobrel.desktop
    "share/metainfo/$appstream_id.metainfo.xml"
    share/man/man1/tobrel.1.gz share/man/man1/tobrel-cli.1.gz
    share/bash-completion/completions/tobrel-cli
    share/doc/tobrel/copyright share/doc/tobrel/changelog.gz
    share/icons/hicolor/scalable/apps/tobrel.svg
)
for size in "${sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/tobrel.png")
done
want=$(printf '%s\n' "${expected[@]}" | sort)
got=$(cd "$usr" && find . -type f -o -type l | sed 's|^\./||' | sort)
if [ "$want" != "$got" ]; then
    fail "installed files differ from the expected layout:"
    diff <(echo "$want") <(echo "$got") >&2 || true
fi
if [ -n "$(find "$stage" -mindepth 1 -maxdepth 1 ! -name usr)" ]; then
    fail "files installed outside /usr"
fi

for program in tobrel tobrel-cli; do
    [ -x "$usr/bin/$program" ] || fail "$program is not executable"
done

png_dimension() { # file offset: a 32-bit big-endian number of the IHDR chunk
    od -An -tu1 -j"$2" -N4 "$1" | awk '{ print (($1 * 256 + $2) * 256 + $3) * 256 + $4 }'
}
for size in "${sizes[@]}"; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/tobrel.png
    [ -f "$png" ] || continue
    if [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' ')" != "89504e470d0a1a0a" ] ||
        [ "$(png_dimension "$png" 16)x$(png_dimension "$png" 20)" != "${size}x${size}" ]; then
        fail "$png is not a ${size}x${size} PNG picture"
    fi
done

svg=$usr/share/icons/hicolor/scalable/apps/tobrel.svg
if [ -f "$svg" ] && command -v xmllint >/dev/null; then
    [ "$(xmllint --xpath 'name(/*)' "$svg" 2>/dev/null)" = "svg" ] || fail "$svg is not an SVG document"
fi

desktop=$usr/share/applications/tobrel.desktop
metainfo=$usr/share/metainfo/$appstream_id.metainfo.xml
grep -qx 'Exec=tobrel' "$desktop" || fail "the desktop entry does not start tobrel"
grep -qx 'Icon=tobrel' "$desktop" || fail "the desktop entry does not name the installed icon"
grep -q "<launchable type=\"desktop-id\">tobrel.desktop</launchable>" "$metainfo" ||
    fail "the AppStream data does not name the installed desktop entry"
grep -q "<id>$appstream_id</id>" "$metainfo" || fail "the AppStream file name and its id differ"
if command -v desktop-file-validate >/dev/null; then
    report=$(desktop-file-validate "$desktop" 2>&1) ||
        fail "desktop-file-validate refuses the desktop entry: $report"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" >/dev/null || fail "appstreamcli refuses the AppStream data"
fi

for page in tobrel tobrel-cli; do
    command -v man >/dev/null || break
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null) ||
        fail "man cannot show $page.1"
    [ -z "$warnings" ] || fail "$page.1 renders with warnings: $warnings"
done

# Every command of the usage text is documented and completed.
commands=$("$usr/bin/tobrel-cli" --help | sed -n 's/^  tobrel-cli \([a-z][a-z-]*\).*/\1/p' | sort -u)
[ -n "$commands" ] || fail "tobrel-cli --help lists no command"
manual=$(zcat "$usr/share/man/man1/tobrel-cli.1.gz")
completed=$(bash -c '
    source "$1"
    COMP_WORDS=(tobrel-cli "") COMP_CWORD=1
    _tobrel_cli
    printf "%s\n" "${COMPREPLY[@]}"' _ "$usr/share/bash-completion/completions/tobrel-cli")
for command in $commands; do
    grep -q "^\.B[IR]* \"*tobrel\\\\-cli $command\b" <<<"$manual" || grep -q "^\.B[IR]* \"*$command\b" <<<"$manual" ||
        fail "the manual page does not describe tobrel-cli $command"
    grep -qx -- "$command" <<<"$completed" || fail "bash completion does not offer $command"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures problem(s) in the installed layout under $stage" >&2
    exit 1
fi
echo "installed layout: $(wc -l <<<"$got") files checked"
