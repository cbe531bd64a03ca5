#!/usr/bin/env bash
# plendo-batch on three workers over the repository's own files of every kind
# (metafiles, HEIF, AVIF, WebP, JPEG XL, PNG, GIF, BMP, damaged ones among
# them), then over the JPEGs it wrote, as `make tsan` runs it under
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

# Runs one pass and prints how many files it wrote. A file that fails is
# fine (the suites hold damaged ones); a crash, a tally that disagrees with
# the paths it printed, or a printed path that is not there is not.
pass() {
  local out=$1 size=$2 status=0
  shift 2
  "$batch" --jobs 3 --size "$size" --exif --settings "$work/plendo.ENV" --out "$out" "$@" \
    >"$work/stdout" 2>"$work/stderr" || status=$?
  [ "$status" -le 1 ] || { cat "$work/stderr" >&2; fail "plendo-batch ended with status $status"; }
  local written
  written=$(grep -c "^$out/.*\.jpg\$" "$work/stdout" || true)
  [ "$(tail -n 1 "$work/stdout")" = "$written written" ] || fail "the tally: $(tail -n 2 "$work/stdout")"
  while read -r path; do [ -f "$path" ] || fail "printed but not written: $path"; done < <(grep "^$out/" "$work/stdout")
  echo "$written"
}

first=$(pass "$work/first" 160 "${sources[@]}")
[ "$first" -ge 100 ] || fail "only $first of ${#sources[@]} files converted"
mapfile -t jpegs < <(find "$work/first" -name '*.jpg' | sort)
[ "$(pass "$work/second" 48 "${jpegs[@]}")" = "${#jpegs[@]}" ] || fail "the first pass's JPEGs did not all convert again"
echo "$first of ${#sources[@]} files converted, then the ${#jpegs[@]} JPEGs written again"
