#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine:
#   wine-run.sh PREFIX PROGRAM.exe [ARGS...]
# The prefix is made once (wineboot -i) and one persistent wineserver serves
# every run, so a test costs a process start, not a Wine start-up. Wine's ANSI
# code page is 932, as on a Japanese Windows.
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes its code page from LC_ALL even when the locale is not installed
# (set for Wine alone: this shell would warn about the unknown locale).
run_wine() { env LC_ALL=ja_JP.SJIS "$wine" "$@"; }
wine=$(command -v wine64 || command -v wine)
server=$(command -v wineserver)
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
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
    env LC_ALL=ja_JP.SJIS "$wine" "$@" | sed 's/\r$//'
    ;;
*) exec env LC_ALL=ja_JP.SJIS "$wine" "$@" ;;
esac
