#!/usr/bin/env bash
# plendo-batch on three workers over the repository's own files of every kind
# (metafiles, HEIF, AVIF, WebP, JPEG XL, PNG, GIF, BMP, damaged ones among
# them), then over the JPEGs it wrote, once as JPEG and once in each other
# output format with a file-size limit, as `make tsan` runs it under
# ThreadSanitizer. Each pass ends with a tally that matches what it wrote, and
# the JPEGs of the first all convert again.
set -euo pipefail
batch=$1 tests=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
mkdir "$work/first" "$work/second"
: >"$work/plendo.ENV"

mapfile -t sources < <(find "$tests/data/metafiles" "$tests/photos" "$tests/data/pngsuite/png" \
  "$tests/data/gif-ancell-suite" "$tests/data/bmpsuite/g" -type f \
  \( -name '*.[ew]mf' -o -name '*.heic' -o -name '*.avif' -o -name '*.webp' -o -name '*.jxl' \
     -o -path '*/photos/*.png' -o -name 'basn*.png' -o -name '*.gif' -o -name '*.bmp' \) | sort)
[ ${#sources[@]} -ge 150 ] || fail "only ${#sources[@]} sources under $tests"

# Runs one pass writing files named *.EXT and prints how many it wrote. A
# file that fails is fine (the suites hold damaged ones); a crash, a tally
# that disagrees with the paths it printed, or a printed path that is not
# there is not.
pass() {
  local out=$1 ext=$2 size=$3 status=0
  shift 3
  "$batch" --jobs 3 --size "$size" --exif --settings "$work/plendo.ENV" --out "$out" "$@" \
    >"$work/stdout" 2>"$work/stderr" || status=$?
  [ "$status" -le 1 ] || { cat "$work/stderr" >&2; fail "plendo-batch ended with status $status"; }
  local written
  written=$(grep -c "^$out/.*\.$ext\$" "$work/stdout" || true)
  [ "$(tail -n 1 "$work/stdout")" = "$written written" ] || fail "the tally: $(tail -n 2 "$work/stdout")"
  while read -r path; do [ -f "$path" ] || fail "printed but not written: $path"; done < <(grep "^$out/" "$work/stdout")
  echo "$written"
}

first=$(pass "$work/first" jpg 160 "${sources[@]}")
[ "$first" -ge 100 ] || fail "only $first of ${#sources[@]} files converted"
mapfile -t jpegs < <(find "$work/first" -name '*.jpg' | sort)
[ "$(pass "$work/second" jpg 48 "${jpegs[@]}")" = "${#jpegs[@]}" ] || fail "the first pass's JPEGs did not all convert again"
# The other writers, the lossy ones searching for a quality that fits.
some=("${jpegs[@]:0:24}")
for format in png webp avif jxl; do
  mkdir "$work/$format"
  [ "$(pass "$work/$format" "$format" 48 --format "$format" --max-file-size 2k "${some[@]}")" = "${#some[@]}" ] ||
    fail "the first pass's JPEGs did not all become $format"
done
echo "$first of ${#sources[@]} files converted, then the ${#jpegs[@]} JPEGs written again, ${#some[@]} of them in each other format"
