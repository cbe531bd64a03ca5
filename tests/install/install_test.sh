#!/usr/bin/env bash
# Installs the build folder $1 into a fresh prefix, checks what landed there,
# and runs the installed plendo-batch (version $2) outside the build tree.
set -euo pipefail
build=$1 version=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/usr" >/dev/null
cd "$work/usr"
while read -r f; do [ -f "$f" ] || fail "not installed: $f"; done <"$here/installed_files.txt"
for f in bin/plendo bin/plendo-batch; do
  [ -x "$f" ] || fail "$f is not executable"
  ! readelf -d "$f" | grep -qE 'R(UN)?PATH' || fail "$f still points into the build tree"
done
for png in share/icons/hicolor/*x*/apps/org.plendo.Plendo.png; do
  size=${png#share/icons/hicolor/}; size=${size%%/*}
  [ "$(identify -format '%wx%h' "$png")" = "$size" ] || fail "$png is not $size"
done
zcat share/man/man1/plendo-batch.1.gz | grep -qF '\-\-jobs' || fail "the manual page lacks --jobs"
zcat share/man/man1/plendo.1.gz | grep -qF 'plendo-panel' || fail "the panel's manual page lacks its FILES"
# Each shell reads its completion script without complaint.
bash -n share/bash-completion/completions/plendo-batch || fail "bash completion"
if command -v zsh >/dev/null; then zsh -n share/zsh/vendor-completions/_plendo-batch || fail "zsh completion"; fi
if command -v fish >/dev/null; then fish -n share/fish/vendor_completions.d/plendo-batch.fish || fail "fish completion"; fi

[ "$(bin/plendo-batch --version)" = "plendo-batch $version" ] || fail "--version"
mkdir "$work/in" "$work/out"
convert -size 64x32 gradient:navy-gold "$work/in/photo.jpg"
export XDG_CONFIG_HOME=$work/config HOME=$work/home
bin/plendo-batch --size 16 --out "$work/out" "$work/in/photo.jpg" "$work/in/missing.jpg" >"$work/stdout" \
  && fail "a missing file must fail the batch"
[ "$(identify -format '%wx%h' "$work/out/photo_w16.jpg")" = 16x8 ] || fail "the conversion"
tail -n 2 "$work/stdout" | head -n 1 | grep -q '^1 written, 0 skipped .*, 1 failed$' || fail "the tally: $(cat "$work/stdout")"
[ "$(tail -n 1 "$work/stdout")" = "1 written" ] || fail "the count"
[ ! -e "$work/config" ] && [ ! -e bin/plendo.ENV ] || fail "plendo-batch wrote settings"
echo "installed and ran from $work/usr"
