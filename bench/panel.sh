#!/usr/bin/env bash
# The panel against plendo-batch on the same batches and settings. A panel is
# started under Xvfb with a settings file of its own; each batch is handed to
# it with `plendo FILE...`, as a file manager's "Open with" does, and timed
# until every output exists. plendo-batch then converts the same files with
# the same settings. Best of PLENDO_BENCH_RUNS runs each, with the ratio of
# the panel's throughput to plendo-batch's. The panel also reports how late
# its own thread got to its messages during each batch, and a last run
# presses the end button a moment into a batch and times how soon it stops.
#
# Usage: bench/panel.sh [BIN_DIR]   (default build-bench/bin; needs plendo and plendo-batch)
#
# Environment: PLENDO_BENCH_PHOTOS (default build-bench/photos), PLENDO_BENCH_RUNS (default 3).
# Prints pass/fail lines and exits 0 whatever the numbers; non-zero only when
# a tool fails or something needed is missing.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BIN=${1:-$ROOT/build-bench/bin}
PHOTOS=${PLENDO_BENCH_PHOTOS:-$ROOT/build-bench/photos}
RUNS=${PLENDO_BENCH_RUNS:-3}

die() { echo "panel.sh: $*" >&2; exit 2; }
[ -x "$BIN/plendo" ] && [ -x "$BIN/plendo-batch" ] || die "no plendo and plendo-batch in $BIN"
command -v Xvfb >/dev/null || die "Xvfb is missing (bash scripts/install-deps.sh)"
command -v heif-enc >/dev/null || die "heif-enc is missing (bash scripts/install-deps.sh --bench)"
PYTHON=python3
"$PYTHON" -c 'import PIL, numpy' 2>/dev/null || PYTHON=/usr/bin/python3

WORK=$(mktemp -d -t plendo-panel-bench.XXXXXX)
XVFB_PID=""
PANEL_PID=""
cleanup() {
  [ -n "$PANEL_PID" ] && kill "$PANEL_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

# --- the batches -------------------------------------------------------------------
echo "Photo set: $PHOTOS"
"$PYTHON" "$ROOT/bench/make_photos.py" "$PHOTOS"
P24=("$PHOTOS"/p24mp_*.jpg)
P12=("$PHOTOS"/p12mp_*.jpg)
[ ${#P24[@]} -eq 8 ] && [ ${#P12[@]} -eq 8 ] || die "expected 8+8 photos in $PHOTOS"
for i in 0 1 2 3; do
  png=$PHOTOS/png3000_$i.png
  [ -f "$png" ] || "$PYTHON" -c 'import sys; from PIL import Image; Image.open(sys.argv[1]).resize((3000, 2000)).save(sys.argv[2])' \
    "${P12[$i]}" "$png"
done
for i in 0 1 2 3 4 5 6 7; do
  heic=$PHOTOS/heic12mp_$i.heic
  [ -f "$heic" ] || heif-enc -q 50 -o "$heic" "${P12[$i]}" >/dev/null
done
PNGS=("$PHOTOS"/png3000_*.png)
HEICS=("$PHOTOS"/heic12mp_*.heic)

# --- one display, one panel per size -------------------------------------------------
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
for d in 91 92 93 94 95 96 97 98 99; do
  [ -e /tmp/.X$d-lock ] && continue
  Xvfb ":$d" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 & XVFB_PID=$!
  export DISPLAY=":$d"
  break
done
sleep 1

# The panel reads plendo.ENV beside itself: a copy of its own in a folder of its own.
APP=$WORK/app
mkdir -p "$APP"
cp "$BIN/plendo" "$BIN/plendo-batch" "$APP/"
OUT=$WORK/out
mkdir -p "$OUT"
PROBE=$WORK/probe.txt

settings_for() { # SIZE: 原寸 is item 0, SIZE item 1; gamma and sharpening at 標準, q70, EXIF kept
  printf '[Status]\nWOPath=%s\nGSize=1\nSaveGSize=1\nRGL=1\nRGW=0\nRGV=0\n[Option]\nRSize=原寸,%s\nExifCopy=1\nOverWrite=1\nGamma=1\nSharpNess=1\n[Secret]\nCompress=70\n' \
    "$OUT" "$1" >"$APP/plendo.ENV"
}

start_panel() {
  : >"$PROBE"
  rm -f "$XDG_RUNTIME_DIR/plendo-panel"  # a socket left by the panel before
  PLENDO_PANEL_PROBE=$PROBE PLENDO_PANEL_PROBE_STOP_MS=${STOP_MS:-0} "$APP/plendo" >/dev/null 2>&1 &
  PANEL_PID=$!
  for _ in $(seq 200); do [ -S "$XDG_RUNTIME_DIR/plendo-panel" ] && break; sleep 0.05; done
  [ -S "$XDG_RUNTIME_DIR/plendo-panel" ] || die "the panel did not start"
  sleep 0.3
}
stop_panel() { kill "$PANEL_PID" 2>/dev/null || true; wait "$PANEL_PID" 2>/dev/null || true; PANEL_PID=""; }

# Times a command from its start until COUNT outputs (*.jpg) stand in $OUT,
# polling from one quiet process so the polling itself costs the panel nothing.
timed_until_outputs() { # COUNT COMMAND...
  "$PYTHON" - "$OUT" "$@" <<'PY'
import os, subprocess, sys, time
out, count, command = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
def written():
    return sum(1 for e in os.scandir(out) if e.name.endswith(".jpg") and not e.name.startswith("."))
start = time.perf_counter()
subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
deadline = start + 120
while written() < count:
    if time.perf_counter() > deadline:
        sys.exit("panel.sh: the outputs did not all appear")
    time.sleep(0.002)
print(f"{time.perf_counter() - start:.4f}")
PY
}

panel_once() { # FILES...
  rm -f "$OUT"/*
  timed_until_outputs $# "$APP/plendo" "$@"
  # The batch ends after its last file: let the probe write its line.
  for _ in $(seq 200); do [ "$(wc -l <"$PROBE")" -gt "${PROBE_LINES:-0}" ] && break; sleep 0.01; done
  PROBE_LINES=$(wc -l <"$PROBE")
}

batch_once() { # SIZE FILES...   (its peak memory in kB goes to $WORK/batch_rss)
  local size=$1; shift
  rm -f "$OUT"/*
  timed_until_outputs $# /usr/bin/time -f %M -o "$WORK/batch_rss" \
    "$APP/plendo-batch" --settings "$APP/plendo.ENV" --size "$size" --side long --out "$OUT" "$@"
}

best() { sort -g | head -n 1; }

FAILED=0
measure() { # NAME SIZE FILES...
  local name=$1 size=$2; shift 2
  settings_for "$size"
  start_panel
  PROBE_LINES=0
  local p b worst ratio
  p=$(for _ in $(seq "$RUNS"); do panel_once "$@"; done | best)
  local panel_rss
  panel_rss=$(awk '/VmHWM/ { print $2 }' "/proc/$PANEL_PID/status")
  stop_panel
  b=$(for _ in $(seq "$RUNS"); do batch_once "$size" "$@"; done | best)
  local batch_rss
  batch_rss=$(tail -n 1 "$WORK/batch_rss")
  worst=$(sed -n 's/.*worst_lateness_ms=\([0-9.]*\).*/\1/p' "$PROBE" | sort -g | tail -n 1)
  ratio=$(echo "$b / $p" | bc -l)
  local verdict=PASS
  awk -v r="$ratio" 'BEGIN { exit !(r < 0.9) }' && { verdict=FAIL; FAILED=1; }
  printf '%-24s panel %6.3f s   plendo-batch %6.3f s   throughput ratio %.2f (>= 0.90 %s)   panel thread late at most %s ms   peak memory: panel %d MB, plendo-batch %d MB\n' \
    "$name" "$p" "$b" "$ratio" "$verdict" "${worst:-?}" $((panel_rss / 1024)) $((batch_rss / 1024))
}

echo "Runs: best of $RUNS on $(nproc) cores"
measure "8 x 24 MP -> 640" 640 "${P24[@]}"
measure "8 x 24 MP -> 1920" 1920 "${P24[@]}"
measure "8 x 12 MP -> 1920" 1920 "${P12[@]}"
measure "4 PNG 3000x2000 -> 1920" 1920 "${PNGS[@]}"
measure "8 HEIC 12 MP -> 1920" 1920 "${HEICS[@]}"

# The end button pressed 300 ms into a batch of 40 photos.
settings_for 1920
STOP_MS=300 start_panel
rm -f "$OUT"/*
"$APP/plendo" "${P24[@]}" "${P24[@]}" "${P24[@]}" "${P24[@]}" "${P24[@]}" >/dev/null 2>&1
for _ in $(seq 1000); do grep -q stop_ms "$PROBE" && break; sleep 0.01; done
stop_panel
stop=$(sed -n 's/.*stop_ms=\([-0-9.]*\).*/\1/p' "$PROBE" | tail -n 1)
late=$(sed -n 's/.*worst_lateness_ms=\([0-9.]*\).*/\1/p' "$PROBE" | tail -n 1)
verdict=PASS
awk -v s="${stop:--1}" 'BEGIN { exit !(s < 0 || s > 100) }' && verdict=FAIL
echo "中断 300 ms into 40 x 24 MP: the batch showed its end after ${stop:-?} ms (<= 100 $verdict); panel thread late at most ${late:-?} ms; $(ls "$OUT" | wc -l) written"
[ "$FAILED" -eq 0 ] && echo "panel throughput: every batch PASS" || echo "panel throughput: some batch FAIL"
