#!/usr/bin/env bash
# Runs a test program as nobody. Root reads every folder, so a case about an
# unreadable one can only be seen as another user; the program is copied
# where that user may run it. Exits 77 (skipped) when not root: the suite
# then runs the case itself.
set -euo pipefail
[ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null || exit 77
program=$1
shift
dir=$(mktemp -d /tmp/plendo-as-nobody.XXXXXX)
trap 'rm -rf "$dir"' EXIT
chmod 755 "$dir"
cp "$program" "$dir/"
status=0
output=$(cd "$dir" && TMPDIR=/tmp setpriv --reuid=65534 --regid=65534 --clear-groups \
  "$dir/$(basename "$program")" "$@" 2>&1) || status=$?
printf '%s\n' "$output"
[ "$status" -eq 0 ] || exit "$status"
if grep -q '\[  SKIPPED \]' <<<"$output"; then
  echo "as_nobody.sh: the case was skipped as nobody too" >&2
  exit 1
fi
