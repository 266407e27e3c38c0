#!/usr/bin/env bash
# Runs a test executable as the unprivileged user "nobody", so that tests of
# read-only files and folders mean something when the suite itself runs as
# root (root ignores file permissions). The binary is copied to a private
# folder first, so the build tree need not be readable by that user.
set -euo pipefail
binary=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$binary" "$work/"
chmod 755 "$work" "$work/$(basename "$binary")"
cd "$work"
exec setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env \
    env HOME="$work" TMPDIR=/tmp "$work/$(basename "$binary")" "$@"
