#!/usr/bin/env bash
# Maps an 8 MiB tmpfs as drive T: of the test prefix and runs the drive-full tests on it.
set -u
. "$(dirname "$0")/drive-run.sh"
build=$1
tests=$2
mnt="$build/small-drive"
drive="$build/wineprefix/dosdevices/t:"
mkdir -p "$mnt"
mountpoint -q "$mnt" && umount "$mnt"
if ! mount -t tmpfs -o size=8m tmpfs "$mnt" 2>/dev/null; then
  skip "cannot mount a tmpfs here (not root?): the drive-full tests"
fi
trap 'rm -f "$drive"; umount "$mnt"' EXIT
ln -sfn "$mnt" "$drive"
run_drive_tests "$build" "$tests" 'SmallDrive*'
