#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine:
#   wine-run.sh PREFIX PROGRAM.exe [ARGS...]
# The prefix is made once (wineboot -i) and one persistent wineserver serves
# every run, so a test costs a process start, not a Wine start-up. Wine's ANSI
# code page is 932, as on a Japanese Windows.
set -euo pipefail
# Debian's Wine keeps a server's socket in a folder under TMPDIR: callers with
# different TMPDIRs would each start a server for the same prefix. Windows
# programs keep their temporary files in the prefix (TEMP is
# C:\users\<user>\Temp), so nothing else hangs on it. Every script that
# stops the server does it without TMPDIR too.
unset TMPDIR
prefix=$1
shift
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes its code page from the locale: ja_JP.UTF-8 gives code page 932
# and passes UTF-8 arguments through. The locale is made beside the prefix
# when the system has none (localedef); without localedef, LC_ALL=ja_JP.SJIS
# still gives code page 932, but arguments are then ASCII only.
locales=$(dirname "$prefix")/locale
run_wine() {
    if [ -d "$locales/ja_JP.UTF-8" ]; then
        env LOCPATH="$locales" LC_ALL=ja_JP.UTF-8 "$wine" "$@"
    else
        env LC_ALL=ja_JP.SJIS "$wine" "$@"
    fi
}
# Wine leaves the Unix QT_* variables out of a program's environment (they
# are meant for the Linux Qt) and passes WINEQT_* on as QT_*: the tests' QT_*
# settings are passed on that way. Qt's messages and QtTest's log go to the
# standard streams, not to the debugger (Wine gives the program no console).
while IFS='=' read -r name _; do
    case $name in QT_*) export "WINE$name=${!name}" ;; esac
done < <(env)
export WINEQT_FORCE_STDERR_LOGGING=1
wine=$(command -v wine64 || command -v wine)
server=$(command -v wineserver)
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ ! -d "$locales/ja_JP.UTF-8" ] && command -v localedef >/dev/null; then
    mkdir -p "$locales"
    localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8" >/dev/null 2>&1 || rm -rf "$locales/ja_JP.UTF-8"
fi
if [ ! -f "$prefix/.prepared" ]; then
    run_wine wineboot -i >/dev/null 2>&1 9>&-
    touch "$prefix/.prepared"
fi
# A second persistent server for the same prefix just exits (status 2). A new
# one gets Wine's session processes started here, detached from our output:
# started by a test, they would hold its output open for as long as the
# server lives and the test would never end.
if "$server" -p >/dev/null 2>&1 9>&-; then
    run_wine wineboot </dev/null >/dev/null 2>&1 9>&- || true
fi
flock -u 9
exec 9>&-
case " $* " in
*" --gtest_list_tests "*)
    # The console writes CR LF, which CMake's test discovery does not take.
    set -o pipefail
    run_wine "$@" | sed 's/\r$//'
    ;;
*)
    # A program that Wine could not start, or that died before writing a
    # line, would otherwise fail with no output at all.
    status=0
    run_wine "$@" || status=$?
    [ "$status" -eq 0 ] || echo "wine-run.sh: $(basename "$1") ended with status $status" >&2
    exit "$status"
    ;;
esac
