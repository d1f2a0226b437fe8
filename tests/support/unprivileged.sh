#!/bin/sh
# Runs a test executable as an unprivileged user when started as root, so the
# checks that need file permissions to hold (read-only folders, unreadable
# files) run instead of skipping. The executable is copied to a temporary
# folder that user can read; the arguments go to it.
set -eu
test_exe=$1
shift
if [ "$(id -u)" -ne 0 ] || ! command -v setpriv >/dev/null 2>&1; then
  exec "$test_exe" "$@"
fi
dir=$(mktemp -d "${TMPDIR:-/tmp}/markloom-unprivileged-XXXXXX")
trap 'rm -rf "$dir"' EXIT
cp "$test_exe" "$dir/"
chmod 755 "$dir" "$dir/$(basename "$test_exe")"
status=0
setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$dir/$(basename "$test_exe")" "$@" || status=$?
exit "$status"
