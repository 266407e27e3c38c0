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
# Whether a wineserver of this prefix still holds its lock (fcntl) in the
# folder Wine names by the prefix's device and inode: under /tmp/.wine-UID,
# /run/user/UID/wine, or the folder Debian's Wine names in the prefix's
# "wineserver" file. (wine-run.sh runs Wine without TMPDIR, and so does
# stop_wine.)
lock_held() {
    local server locks lock
    server=$(printf 'server-%x-%x' $(stat -c '%d %i' "$prefix"))
    locks=("/tmp/.wine-$(id -u)/$server/lock" "/run/user/$(id -u)/wine/$server/lock")
    if [ -r "$prefix/wineserver" ]; then
        locks+=("/tmp/$(basename "$(tr -d '\0\r\n' <"$prefix/wineserver")")/$server/lock")
    fi
    for lock in "${locks[@]}"; do
        if [ -e "$lock" ] && ! python3 -c 'import fcntl, sys
fcntl.lockf(open(sys.argv[1], "r+"), fcntl.LOCK_EX | fcntl.LOCK_NB)' "$lock" 2>/dev/null; then
            return 0
        fi
    done
    return 1
}
stop_wine() {
    env -u TMPDIR wineserver -k 2>/dev/null || true
    env -u TMPDIR wineserver -w 2>/dev/null || true
    # -w can return while a server that is ending still saves user.reg; its
    # lock goes only when it is done. Bounded, as a loaded machine is slow.
    local until=$((SECONDS + 600))
    while lock_held; do
        [ $SECONDS -lt $until ] || fail "the wineserver of $prefix did not end"
        sleep 0.2
    done
}
# The bytes of a binary value in a user.reg, as one hex string (the line
# breaks and commas of either writer's layout taken out).
value_hex() {
    awk -v name="\"$2\"=hex:" 'index($0, name) == 1 { on = 1; sub(/^[^:]*:/, "") }
        on { line = $0; more = sub(/\\$/, "", line); gsub(/[ ,\r]/, "", line); hex = hex line
             if (!more) on = 0 }
        END { print hex }' "$1"
}
# Both controller values (as hex, empty for a missing one) after the Linux
# build's edit of the same row, made on a copy of the given user.reg.
linux_bytes_after() {
    local copy
    copy=$(mktemp -d)/user.reg
    cp "$1" "$copy"
    shift
    TOBREL_REGISTRY=$copy "$linux_cli" controller set "$@" >/dev/null || fail "Linux controller set on a copy"
    echo "$(value_hex "$copy" "Bank 00 Slot 00") $(value_hex "$copy" "Bank 01 Slot 00")"
}
trap stop_wine EXIT

folder="$prefix/drive_c/カード 一覧"
mkdir -p "$folder"
for name in ｶｰﾄﾞ1.MCD ｶｰﾄﾞ2.MCD; do
    { printf MC; head -c 131070 /dev/zero; } >"$folder/$name"
done

# Windows writes, Linux reads (after the wineserver has saved user.reg).
stop_wine
before_windows_edit=$(mktemp)
cp "$prefix/user.reg" "$before_windows_edit"
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
# Byte for byte: what advapi32 stored is what our own code writes for that edit.
# A command that names one row writes that controller's value alone.
windows_bytes="$(value_hex "$prefix/user.reg" "Bank 00 Slot 00") $(value_hex "$prefix/user.reg" "Bank 01 Slot 00")"
controller2=$(value_hex "$prefix/user.reg" "Bank 01 Slot 00")
[ ${#controller2} -eq $((2 * 1480)) ] || fail "controller 2's value is not 1,480 bytes"
[ "$(value_hex "$prefix/user.reg" "Bank 00 Slot 00")" = "$(value_hex "$before_windows_edit" "Bank 00 Slot 00")" ] ||
    fail "controller 1's value changed though only controller 2 was set"
[ "$windows_bytes" = "$(linux_bytes_after "$before_windows_edit" 2 13 ID16 ﾎﾞﾀﾝ12)" ] ||
    fail "controller bytes Windows wrote differ from the Linux build's"

# Linux writes, Windows reads.
linux slots set bleem 2 "$folder/ｶｰﾄﾞ2.MCD" >/dev/null || fail "Linux slots set"
before_linux_edit=$(mktemp)
cp "$prefix/user.reg" "$before_linux_edit"
linux controller set 1 0 ID3 Z >/dev/null || fail "Linux controller set"
linux_bytes="$(value_hex "$prefix/user.reg" "Bank 00 Slot 00") $(value_hex "$prefix/user.reg" "Bank 01 Slot 00")"
listing=$(windows slots)
grep -qxF $'bleem! Slot2\tC:\\カード 一覧\\ｶｰﾄﾞ2.MCD' <<<"$listing" ||
    fail "Windows read of a slot Linux wrote: $listing"
grep -qxF $'bleem! Slot1\tC:\\カード 一覧\\ｶｰﾄﾞ1.MCD' <<<"$listing" ||
    fail "Windows lost the slot it wrote itself: $listing"
expected_controller=$(linux controller)
grep -q $'^1\t0\tID3\tZ$' <<<"$expected_controller" || fail "controller row not written"
[ "$(windows controller)" = "$expected_controller" ] ||
    fail "Windows read of the controller values Linux wrote differs"
# Byte for byte the other way: Windows reads what Linux wrote and, applying
# the same edit again, stores exactly those bytes.
windows controller set 1 0 ID3 Z >/dev/null || fail "Windows controller set over Linux's values"
stop_wine
[ "$(value_hex "$prefix/user.reg" "Bank 00 Slot 00") $(value_hex "$prefix/user.reg" "Bank 01 Slot 00")" = "$linux_bytes" ] ||
    fail "controller bytes differ after Windows read and rewrote the Linux build's values"
[ "$linux_bytes" = "$(linux_bytes_after "$before_linux_edit" 1 0 ID3 Z)" ] ||
    fail "the Linux edit is not the same on a copy"
echo "registry round trip: both ways equal"
