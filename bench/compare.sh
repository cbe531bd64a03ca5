#!/usr/bin/env bash
# Whole-batch comparison of plendo-batch with libvips and Pillow doing the same
# job (decode, scale to the long side, gamma 1.06, 3x3 sharpening, JPEG q70,
# EXIF kept), plus output quality, peak memory, and the output formats' speed
# beside JPEG's.
#
# Usage: bench/compare.sh [BIN_DIR | path/to/plendo-batch]   (default build-bench/bin)
#
# Environment:
#   PLENDO_BENCH_PHOTOS  where the photo set lives (default build-bench/photos);
#                        it is generated there the first time
#   PLENDO_BENCH_RUNS    timed runs per measurement, the best counts (default 3)
#   PLENDO_BENCH_ONLY    "formats": only the output formats' throughput
#   PYTHON               a python3 with Pillow and numpy (default: found)
#
# Prints pass/fail lines but exits 0 whatever the numbers; non-zero only when
# a tool fails or something needed is missing.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
PHOTOS=${PLENDO_BENCH_PHOTOS:-$ROOT/build-bench/photos}
RUNS=${PLENDO_BENCH_RUNS:-3}
NPROC=$(nproc)

die() { echo "compare.sh: $*" >&2; exit 2; }

# --- plendo-batch ------------------------------------------------------------
target=${1:-$ROOT/build-bench/bin}
if [ -d "$target" ]; then PLENDO=$target/plendo-batch; else PLENDO=$target; fi
[ -x "$PLENDO" ] || die "no plendo-batch at $PLENDO (build it first, e.g. make bench)"
PLENDO=$(cd "$(dirname "$PLENDO")" && pwd)/$(basename "$PLENDO")

# The engine grows options over time; only use what this build offers.
PLENDO_JOBS=()
if "$PLENDO" --help 2>&1 | grep -q -- '--jobs'; then PLENDO_JOBS=(--jobs "$NPROC"); fi

# --- python with Pillow and numpy -----------------------------------------------
# A pyenv or venv python3 may shadow Debian's, which is where python3-pil lives.
if [ -z "${PYTHON:-}" ]; then
  for p in python3 /usr/bin/python3; do
    if command -v "$p" >/dev/null && "$p" -c 'import PIL, numpy' 2>/dev/null; then PYTHON=$p; break; fi
  done
fi
[ -n "${PYTHON:-}" ] || die "no python3 with Pillow and numpy (bash scripts/install-deps.sh --bench)"

have() { command -v "$1" >/dev/null 2>&1; }
HAVE_VIPS=0; have vips && HAVE_VIPS=1
HAVE_DJPEG=0; have djpeg && HAVE_DJPEG=1
[ -x /usr/bin/time ] || die "/usr/bin/time is missing (bash scripts/install-deps.sh --bench)"

# --- scratch space ---------------------------------------------------------------
# Intermediates on tmpfs when there is one, so the vips chain is not timed on disk.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then WORK=$(mktemp -d -p /dev/shm plendo-bench.XXXXXX)
else WORK=$(mktemp -d -t plendo-bench.XXXXXX); fi
trap 'rm -rf "$WORK"' EXIT

# Empty settings apart from the quality default: the user's plendo.ENV must not count.
SETTINGS=$WORK/bench.ENV
printf '[Secret]\nCompress=70\n' >"$SETTINGS"

# --- photo set -------------------------------------------------------------------
echo "Photo set: $PHOTOS"
"$PYTHON" "$ROOT/bench/make_photos.py" "$PHOTOS"
P24=("$PHOTOS"/p24mp_*.jpg)
P12=("$PHOTOS"/p12mp_*.jpg)
if [ ${#P24[@]} -ne 8 ] || [ ${#P12[@]} -ne 8 ]; then die "expected 8+8 photos in $PHOTOS"; fi

# --- helpers -----------------------------------------------------------------------
GAMMA=1.06
# vips gamma computes in^(1/exponent)
VIPS_EXPONENT=$(awk -v g="$GAMMA" 'BEGIN { printf "%.10f", 1 / g }')
printf '3 3 16 0\n-1 -1 -1\n-1 24 -1\n-1 -1 -1\n' >"$WORK/sharpen.mat"

# One file through the vips CLI; each step is a separate process, .v in between.
cat >"$WORK/vips_one.sh" <<'EOF'
#!/usr/bin/env bash
set -euo pipefail
size=$1 out=$2 scratch=$3 exponent=$4 mat=$5 src=$6
name=$(basename "$src" .jpg)
t=$scratch/$name
vips thumbnail "$src" "$t.t.v" "$size" --height "$size" --size down
vips gamma "$t.t.v" "$t.g.v" --exponent "$exponent"
vips conv "$t.g.v" "$t.c.v" "$mat" --precision integer
vips jpegsave "$t.c.v" "$out/$name.jpg" --Q 70
rm -f "$t.t.v" "$t.g.v" "$t.c.v"
EOF
chmod +x "$WORK/vips_one.sh"

cat >"$WORK/pillow_job.py" <<'EOF'
import os, sys
from multiprocessing import Pool
from PIL import Image, ImageFilter

GAMMA = 1.06
LUT = [round(255 * (v / 255) ** GAMMA) for v in range(256)] * 3
KERNEL = ImageFilter.Kernel((3, 3), [-1, -1, -1, -1, 24, -1, -1, -1, -1], scale=16, offset=0)

def one(args):
    src, size, outdir = args
    im = Image.open(src)
    exif = im.info.get("exif", b"")
    w, h = im.size
    tw, th = (size, int(h * size / w + 0.5)) if w >= h else (int(w * size / h + 0.5), size)
    im.draft("RGB", (tw, th))
    if im.mode != "RGB":
        im = im.convert("RGB")
    im = im.resize((tw, th), Image.BICUBIC)
    im = im.point(LUT).filter(KERNEL)
    name = os.path.splitext(os.path.basename(src))[0] + ".jpg"
    im.save(os.path.join(outdir, name), "JPEG", quality=70, exif=exif)

if __name__ == "__main__":
    procs, size, outdir = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    with Pool(procs) as pool:
        pool.map(one, [(f, size, outdir) for f in sys.argv[4:]], chunksize=1)
EOF

# Smallest libjpeg scale M/8 whose output still covers the target size.
djpeg_scale() { # W H SIZE
  awk -v w="$1" -v h="$2" -v n="$3" 'BEGIN {
    if (w >= h) { tw = n; th = int(h * n / w + 0.5) } else { th = n; tw = int(w * n / h + 0.5) }
    for (m = 1; m <= 8; m++) if (int((w * m + 7) / 8) >= tw && int((h * m + 7) / 8) >= th) break
    print m }'
}

dims() { "$PYTHON" -c 'import sys; from PIL import Image; print(*Image.open(sys.argv[1]).size)' "$1"; }

# run_timed LOG CMD...: seconds of wall clock in $ELAPSED; a failing tool stops the bench.
run_timed() {
  local log=$1; shift
  local t0 t1
  t0=$(date +%s%N)
  if ! "$@" >"$log" 2>&1; then
    echo "compare.sh: this command failed:" >&2
    printf '  %q' "$@" >&2; echo >&2
    tail -n 20 "$log" >&2
    exit 1
  fi
  t1=$(date +%s%N)
  ELAPSED=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", (b - a) / 1e9 }')
}

fresh_dir() { rm -rf "$1"; mkdir -p "$1"; }

check_outputs() { # DIR TOOL
  local n
  n=$(find "$1" -maxdepth 1 -type f -iname '*.jp*g' | wc -l)
  [ "$n" -eq 8 ] || { echo "compare.sh: $2 wrote $n files, not 8" >&2; exit 1; }
}

plendo_cmd() { # SIZE OUT GAMMA SHARP QUALITY FILES...
  local size=$1 out=$2 g=$3 s=$4 q=$5; shift 5
  "$PLENDO" --settings "$SETTINGS" --size "$size" --side long --gamma "$g" --sharpness "$s" \
    --quality "$q" --exif --overwrite --out "$out" ${PLENDO_JOBS[@]+"${PLENDO_JOBS[@]}"} "$@"
}

vips_cmd() { # SIZE OUT FILES...
  local size=$1 out=$2; shift 2
  printf '%s\0' "$@" | xargs -0 -n 1 -P "$NPROC" \
    "$WORK/vips_one.sh" "$size" "$out" "$WORK/vips-scratch" "$VIPS_EXPONENT" "$WORK/sharpen.mat"
}

pillow_cmd() { # SIZE OUT FILES...
  local size=$1 out=$2; shift 2
  "$PYTHON" "$WORK/pillow_job.py" "$NPROC" "$size" "$out" "$@"
}

djpeg_cmd() { # M FILES...
  local m=$1; shift
  printf '%s\0' "$@" | xargs -0 -n 1 -P "$NPROC" djpeg -scale "$m/8" -outfile /dev/null
}

best() { printf '%s\n' "$@" | sort -g | head -n 1; }
rate() { awk -v t="$1" 'BEGIN { printf "%.2f", 8 / t }'; }

# --- 4. output formats -------------------------------------------------------------
# Each format's throughput beside JPEG's; PLENDO_BENCH_ONLY=formats runs this part alone.
formats_part() {
  "$PLENDO" --help 2>&1 | grep -q -- '--format' || return 0
  echo
  echo "Output formats, 24 MP -> 1920, 8 files, gamma $GAMMA, sharpening, quality 70, EXIF kept;"
  echo "images per second (best of $RUNS) and the ratio to JPEG's throughput."
  ffmt='| %-8s | %10s | %13s | %14s | %7s | %4s |\n'
  # shellcheck disable=SC2059
  printf "$ffmt" format "images/s" "ratio to JPEG" "mean size (KB)" target pass
  printf '|%s|%s|%s|%s|%s|%s|\n' ---------- ------------ --------------- ---------------- --------- ------
  jpeg_rate=""
  for f in jpeg webp avif jxl png; do
    case $f in webp) target=0.7 ;; avif) target=0.3 ;; *) target="" ;; esac
    times=()
    for ((r = 1; r <= RUNS; r++)); do
      fresh_dir "$WORK/out-format"
      run_timed "$WORK/plendo.log" plendo_cmd 1920 "$WORK/out-format" 1 1 70 --format "$f" "${P24[@]}"
      times+=("$ELAPSED")
    done
    n=$(find "$WORK/out-format" -maxdepth 1 -type f | wc -l)
    [ "$n" -eq 8 ] || { echo "compare.sh: --format $f wrote $n files, not 8" >&2; exit 1; }
    kb=$(du -k -c "$WORK/out-format"/* | tail -n 1 | awk '{ printf "%.0f", $1 / 8 }')
    rf=$(rate "$(best "${times[@]}")")
    [ -z "$jpeg_rate" ] && jpeg_rate=$rf
    ratio=$(awk -v a="$rf" -v b="$jpeg_rate" 'BEGIN { printf "%.2f", a / b }')
    if [ -n "$target" ]; then
      pass=$(awk -v r="$ratio" -v t="$target" 'BEGIN { print (r >= t ? "PASS" : "FAIL") }')
      target=">= $target"
    else
      pass="-"; target="-"
    fi
    # shellcheck disable=SC2059
    printf "$ffmt" "$f" "$rf" "$ratio" "$kb" "$target" "$pass"
  done
}

if [ "${PLENDO_BENCH_ONLY:-}" = formats ]; then formats_part; exit 0; fi

# --- 1. speed -----------------------------------------------------------------------
echo
echo "Whole job, 8 files per set: scale to the long side, gamma $GAMMA, 3x3 sharpening,"
echo "JPEG q70, EXIF kept. Images per second, wall clock, best of $RUNS runs, $NPROC cores."
echo "plendo-batch: $PLENDO ${PLENDO_JOBS[*]:-}"
peers="Pillow $("$PYTHON" -c 'import PIL; print(PIL.__version__)')"
[ $HAVE_VIPS -eq 1 ] && peers="$(vips --version), $peers"
[ $HAVE_DJPEG -eq 1 ] && peers="$peers, djpeg $(djpeg -version 2>&1 | head -n 1 | sed 's/ *(.*//')"
echo "Peers: $peers"
mkdir -p "$WORK/vips-scratch"

SET_NAMES=("24 MP -> 640" "24 MP -> 1920" "12 MP -> 1920")
SET_SIZES=(640 1920 1920)
SET_TARGETS=(1.05 1.6 1.6)
ROWS=()
for i in 0 1 2; do
  size=${SET_SIZES[$i]}
  if [ "$i" -eq 2 ]; then files=("${P12[@]}"); else files=("${P24[@]}"); fi
  read -r w h < <(dims "${files[0]}")
  m=$(djpeg_scale "$w" "$h" "$size")
  cat "${files[@]}" >/dev/null   # warm the page cache

  tp=(); tv=(); tl=(); td=()
  for ((r = 1; r <= RUNS; r++)); do
    fresh_dir "$WORK/out-plendo"
    run_timed "$WORK/plendo.log" plendo_cmd "$size" "$WORK/out-plendo" 1 1 70 "${files[@]}"
    tp+=("$ELAPSED"); check_outputs "$WORK/out-plendo" plendo-batch
    if [ $HAVE_VIPS -eq 1 ]; then
      fresh_dir "$WORK/out-vips"
      run_timed "$WORK/vips.log" vips_cmd "$size" "$WORK/out-vips" "${files[@]}"
      tv+=("$ELAPSED"); check_outputs "$WORK/out-vips" libvips
    fi
    fresh_dir "$WORK/out-pillow"
    run_timed "$WORK/pillow.log" pillow_cmd "$size" "$WORK/out-pillow" "${files[@]}"
    tl+=("$ELAPSED"); check_outputs "$WORK/out-pillow" Pillow
    if [ $HAVE_DJPEG -eq 1 ]; then
      run_timed "$WORK/djpeg.log" djpeg_cmd "$m" "${files[@]}"
      td+=("$ELAPSED")
    fi
  done

  rp=$(rate "$(best "${tp[@]}")")
  rl=$(rate "$(best "${tl[@]}")")
  if [ $HAVE_VIPS -eq 1 ]; then rv=$(rate "$(best "${tv[@]}")"); else rv="not installed"; fi
  if [ $HAVE_DJPEG -eq 1 ]; then rd="$(rate "$(best "${td[@]}")") (${m}/8)"; else rd="not installed"; fi
  peer=$rl
  [ $HAVE_VIPS -eq 1 ] && peer=$(awk -v a="$rl" -v b="$rv" 'BEGIN { print (a > b ? a : b) }')
  ratio=$(awk -v p="$rp" -v q="$peer" 'BEGIN { printf "%.2f", p / q }')
  target=${SET_TARGETS[$i]}
  pass=$(awk -v r="$ratio" -v t="$target" 'BEGIN { print (r >= t ? "PASS" : "FAIL") }')
  ROWS+=("${SET_NAMES[$i]}|$rp|$rv|$rl|$rd|$ratio|>= $target|$pass")
done

echo
fmt='| %-13s | %12s | %13s | %13s | %14s | %18s | %7s | %4s |\n'
# shellcheck disable=SC2059
printf "$fmt" set plendo-batch libvips Pillow "decode floor" "ratio to best peer" target pass
printf '|%s|%s|%s|%s|%s|%s|%s|%s|\n' ---------------  -------------- --------------- \
  --------------- ---------------- -------------------- --------- ------
for row in "${ROWS[@]}"; do
  IFS='|' read -r a b c d e f g k <<<"$row"
  # shellcheck disable=SC2059
  printf "$fmt" "$a" "$b" "$c" "$d" "$e" "$f" "$g" "$k"
done
echo "(decode floor: djpeg -scale M/8 to /dev/null, $NPROC at once; for information only)"

# --- 2. quality --------------------------------------------------------------------
echo
echo "Quality, no gamma and no sharpening, q70, PSNR over RGB against a full-size decode"
echo "resized with Pillow BICUBIC; pass when plendo-batch >= Pillow's own q70 round trip - 0.1 dB."
cat >"$WORK/psnr.py" <<'EOF'
import io, sys
import numpy as np
from PIL import Image

src, ours, size = sys.argv[1], sys.argv[2], int(sys.argv[3])
im = Image.open(src).convert("RGB")
w, h = im.size
tw, th = (size, int(h * size / w + 0.5)) if w >= h else (int(w * size / h + 0.5), size)
ref = np.asarray(im.resize((tw, th), Image.BICUBIC), dtype=np.float64)

def psnr(a):
    mse = np.mean((a.astype(np.float64) - ref) ** 2)
    return float("inf") if mse == 0 else 10 * np.log10(255.0 ** 2 / mse)

buf = io.BytesIO()
Image.fromarray(ref.astype(np.uint8)).save(buf, "JPEG", quality=70, subsampling=2)
trip = psnr(np.asarray(Image.open(buf).convert("RGB")))
out = Image.open(ours).convert("RGB")
if out.size != (tw, th):
    print("%dx%d, not %dx%d|%.2f dB|FAIL" % (out.size + (tw, th) + (trip,)))
else:
    mine = psnr(np.asarray(out))
    print("%.2f dB|%.2f dB|%s" % (mine, trip, "PASS" if mine >= trip - 0.1 else "FAIL"))
EOF
qfmt='| %-13s | %20s | %20s | %4s |\n'
# shellcheck disable=SC2059
printf "$qfmt" set "plendo-batch PSNR" "Pillow q70 PSNR" pass
printf '|%s|%s|%s|%s|\n' --------------- ---------------------- ---------------------- ------
for q in "12 MP -> 640|${P12[0]}|640" "24 MP -> 1920|${P24[0]}|1920"; do
  IFS='|' read -r name src size <<<"$q"
  fresh_dir "$WORK/out-quality"
  run_timed "$WORK/plendo.log" plendo_cmd "$size" "$WORK/out-quality" 0 0 70 "$src"
  out=$(find "$WORK/out-quality" -maxdepth 1 -type f | head -n 1)
  [ -n "$out" ] || { echo "compare.sh: plendo-batch wrote nothing for $src" >&2; exit 1; }
  IFS='|' read -r a b c < <("$PYTHON" "$WORK/psnr.py" "$src" "$out" "$size")
  # shellcheck disable=SC2059
  printf "$qfmt" "$name" "$a" "$b" "$c"
done

# --- 3. memory ---------------------------------------------------------------------
echo
fresh_dir "$WORK/out-plendo"
run_timed "$WORK/plendo.log" /usr/bin/time -v -o "$WORK/time.txt" \
  "$PLENDO" --settings "$SETTINGS" --size 1920 --side long --gamma 1 --sharpness 1 \
  --quality 70 --exif --overwrite --out "$WORK/out-plendo" "${P24[@]}"
kb=$(awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }' "$WORK/time.txt")
awk -v kb="$kb" 'BEGIN { mib = kb / 1024
  printf "Peak RSS, plendo-batch, 24 MP -> 1920, 8 files, default jobs: %.1f MiB (target < 150 MiB) %s\n",
         mib, (mib < 150 ? "PASS" : "FAIL") }'

formats_part
