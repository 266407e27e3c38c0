#!/usr/bin/env bash
# Registry values cross between Windows' own registry functions and our Linux
# store of Wine's user.reg, both ways:
#   registry_roundtrip.sh RUNNER PREFIX WINDOWS_CLI LINUX_CLI
# tobrel-cli.exe writes through advapi32 (to the wineserver, which saves
# user.reg when stopped); the Linux tobrel-cli reads and writes that user.reg.
set -euo pipefail
runner=$1 prefix=$2 windows_cli=$3 linux_cli=$4
unset TOBREL_REGISTRY
export WINEPREFIX=$prefix

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
windows() { "$runner" "$prefix" "$windows_cli" "$@" | tr -d '\r'; }
linux() { "$linux_cli" "$@"; }
stop_wine() { wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; }
trap stop_wine EXIT

folder="$prefix/drive_c/カード 一覧"
mkdir -p "$folder"
for name in ｶｰﾄﾞ1.MCD ｶｰﾄﾞ2.MCD; do
    { printf MC; head -c 131070 /dev/zero; } >"$folder/$name"
done

# Windows writes, Linux reads (after the wineserver has saved user.reg).
windows slots set bleem 1 'C:\カード 一覧\ｶｰﾄﾞ1.MCD' >/dev/null || fail "Windows slots set"
windows controller set 2 13 ID16 ﾎﾞﾀﾝ12 >/dev/null || fail "Windows controller set"
expected_controller=$(windows controller)
stop_wine
listing=$(linux slots)
grep -qxF $'bleem! Slot1\tC:\\カード 一覧\\ｶｰﾄﾞ1.MCD' <<<"$listing" ||
    fail "Linux read of a slot Windows wrote: $listing"
[ "$(linux controller)" = "$expected_controller" ] ||
    fail "Linux read of the controller values Windows wrote differs"
grep -q $'^2\t13\tID16\tﾎﾞﾀﾝ12$' <<<"$expected_controller" || fail "controller row not written"

# Linux writes, Windows reads.
linux slots set bleem 2 "$folder/ｶｰﾄﾞ2.MCD" >/dev/null || fail "Linux slots set"
linux controller set 1 0 ID3 Z >/dev/null || fail "Linux controller set"
listing=$(windows slots)
grep -qxF $'bleem! Slot2\tC:\\カード 一覧\\ｶｰﾄﾞ2.MCD' <<<"$listing" ||
    fail "Windows read of a slot Linux wrote: $listing"
grep -qxF $'bleem! Slot1\tC:\\カード 一覧\\ｶｰﾄﾞ1.MCD' <<<"$listing" ||
    fail "Windows lost the slot it wrote itself: $listing"
expected_controller=$(linux controller)
grep -q $'^1\t0\tID3\tZ$' <<<"$expected_controller" || fail "controller row not written"
[ "$(windows controller)" = "$expected_controller" ] ||
    fail "Windows read of the controller values Linux wrote differs"
echo "registry round trip: both ways equal"
