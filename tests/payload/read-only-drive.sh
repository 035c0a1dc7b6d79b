#!/usr/bin/env bash
# Maps a folder tree twice into the test prefix: writable as W:, and read-only (a bind
# mount remounted read-only) as R:, then runs the read-only install folder tests.
set -u
. "$(dirname "$0")/drive-run.sh"
build=$1
tests=$2
rw="$build/read-only-drive/rw"
ro="$build/read-only-drive/ro"
dosdevices="$build/wineprefix/dosdevices"
mkdir -p "$rw" "$ro"
mountpoint -q "$ro" && umount "$ro"
mountpoint -q "$rw" && umount "$rw"
if ! { mount -t tmpfs -o size=64m tmpfs "$rw" && mount --bind "$rw" "$ro" && mount -o remount,bind,ro "$ro"; } 2>/dev/null; then
  mountpoint -q "$ro" && umount "$ro"
  mountpoint -q "$rw" && umount "$rw"
  skip "cannot make a read-only mount here (not root?): the read-only folder tests"
fi
trap 'rm -f "$dosdevices/w:" "$dosdevices/r:"; umount "$ro"; umount "$rw"' EXIT
ln -sfn "$rw" "$dosdevices/w:"
ln -sfn "$ro" "$dosdevices/r:"
run_drive_tests "$build" "$tests" 'ReadOnlyDrive*'
