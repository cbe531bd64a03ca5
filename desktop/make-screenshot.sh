#!/usr/bin/env bash
# Takes plendo-panel.png, the metainfo's screenshot: the panel of the build
# in $1 (default build/bin) ready for a drop, on a virtual X server (Xvfb),
# with settings of its own. Needs xvfb, x11-utils and imagemagick.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "${1:-$here/../build/bin}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/config/plendo" "$work/run"
chmod 700 "$work/run"
cp "$bin/plendo" "$work/bin/"  # outside the build tree: settings from the config folder
printf '[Status]\nWOPath=/home/user/Pictures/resized\nGSize=49\n' >"$work/config/plendo/plendo.ENV"
cat >"$work/shot.sh" <<'SHOT'
"$1/bin/plendo" & pid=$!
sleep 4
id=$(xwininfo -root -tree | awk '/312x213/ {print $1; exit}')
import -window "$id" "$2"
kill -TERM "$pid"; wait "$pid"
SHOT
XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run \
  xvfb-run -a -s "-screen 0 800x600x24" bash "$work/shot.sh" "$work" "$here/plendo-panel.png"
