#!/usr/bin/env bash
# Makes the HEIF, AVIF, WebP and JPEG XL test files in this folder with the
# encoders Debian ships, and beside each lossy one the encoder's own decode
# as <name>.ref.png, which the decoders' suites compare with. Run once when
# the set changes; the files are committed, so the suites need no encoder.
#
#   apt-get install imagemagick libheif-examples libheif-dev webp libavif-bin \
#                   libjxl-tools libimage-exiftool-perl
set -euo pipefail
cd "$(dirname "$0")"
ICC=../data/gif-ancell-suite/sRGB.icc
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# ---- sources (odd sizes: chroma subsampling and row padding have edges)
convert -size 61x37 gradient:'#e03020'-'#2040d0' -fill '#30c040' -draw 'rectangle 4,4 20,16' \
  -fill white -draw 'circle 45,25 52,25' -strip PNG24:source_colour.png
convert source_colour.png \( -size 37x61 gradient:white-black -rotate 90 \) -alpha off \
  -compose CopyOpacity -composite -strip PNG32:source_alpha.png
convert source_colour.png -colorspace Gray -strip -define png:color-type=0 source_grey.png
convert -size 61x37 -depth 16 gradient:'#ff2000'-'#0030ff' -strip -define png:bit-depth=16 source_deep.png
# Wider than tall, red at the top left and blue at the top right of what is
# stored, so every turn and mirror lands them in a corner of their own.
convert -size 40x24 xc:white -fill red -draw 'rectangle 0,0 9,5' -fill blue -draw 'rectangle 30,0 39,5' \
  -strip PNG24:source_marker.png
convert source_colour.png -profile "$ICC" "$WORK/icc.png"

# ---- HEIF (HEVC) and AVIF (AV1); references by libheif's and libavif's own tools
heif() { heif-enc "${@:3}" "$1" -o "$2" >/dev/null; heif-convert "$2" "${2%.*}.ref.png" >/dev/null; }
heif source_colour.png heic_colour.heic -q 80
heif source_grey.png heic_grey.heic -q 80
heif source_alpha.png heic_alpha.heic -q 80
heif source_deep.png heic_10bit.heic -q 80 -b 10
heif "$WORK/icc.png" heic_icc.heic -q 80
heif-enc -L -p chroma=444 --matrix_coefficients=0 source_colour.png -o heic_lossless.heic >/dev/null

# Rotation and mirroring live in the container (irot, imir): libheif writes
# them from an EXIF-style orientation number.
cc -O2 -o "$WORK/oriented_heif" oriented_heif.c $(pkg-config --cflags --libs libheif)
convert source_marker.png "$WORK/marker.ppm"
for o in 2:mirror 5:transpose 6:rotate90; do
  "$WORK/oriented_heif" "$WORK/marker.ppm" "heic_${o#*:}.heic" "${o%%:*}"
  heif-convert "heic_${o#*:}.heic" "heic_${o#*:}.ref.png" >/dev/null
done
# A picture with a thumbnail of its own (a 'thmb' item), and one whose
# thumbnail is stored ahead of it: the picture is what converts.
heif source_colour.png heic_thumbnail.heic -q 80 -t 16
cc -O2 -o "$WORK/thumbnail_first_heif" thumbnail_first_heif.c $(pkg-config --cflags --libs libheif)
convert -size 10x6 xc:'#30c040' -depth 8 "$WORK/thumb.ppm"
"$WORK/thumbnail_first_heif" "$WORK/marker.ppm" "$WORK/thumb.ppm" heic_thumbnail_first.heic
heif-convert heic_thumbnail_first.heic heic_thumbnail_first.ref.png >/dev/null
# A phone's photo: turned by the container, EXIF saying the same, an artist
# and a JPEG thumbnail of its own.
convert source_marker.png -resize 20x12 -quality 80 "$WORK/thumb.jpg"
EXIF=(-q -overwrite_original -Make=Plendo-Test -Artist=Hanako -Orientation#=6 "-ThumbnailImage<=$WORK/thumb.jpg")
cp heic_rotate90.heic heic_exif.heic
exiftool "${EXIF[@]}" heic_exif.heic

avif() { avifenc -s 6 "${@:3}" "$1" "$2" >/dev/null; avifdec "$2" "${2%.*}.ref.png" >/dev/null; }
avif source_colour.png avif_colour.avif --min 10 --max 30
avif source_grey.png avif_grey.avif --min 10 --max 30 -y 400
avif source_alpha.png avif_alpha.avif --min 10 --max 30
avif source_deep.png avif_10bit.avif --min 10 --max 30 -d 10
# One flat colour coded as Display P3 by an nclx box, with no ICC profile.
convert -size 24x16 xc:'rgb(200,100,100)' -strip PNG24:"$WORK/flat.png"
avifenc -s 6 --min 0 --max 0 -y 444 --cicp 12/13/6 "$WORK/flat.png" avif_p3.avif >/dev/null 2>&1

# ---- WebP
cwebp -quiet -q 80 source_colour.png -o webp_lossy.webp && dwebp -quiet webp_lossy.webp -o webp_lossy.ref.png
cwebp -quiet -lossless -exact source_alpha.png -o webp_alpha.webp
convert -size 61x37 xc:'#1040c0' "$WORK/second.png"
img2webp -lossless source_colour.png -d 200 "$WORK/second.png" -o webp_anim.webp >/dev/null 2>&1
cwebp -quiet -q 80 -metadata icc "$WORK/icc.png" -o webp_exif.webp
exiftool "${EXIF[@]}" webp_exif.webp
dwebp -quiet webp_exif.webp -o webp_exif.ref.png

# ---- JPEG XL
cjxl source_colour.png jxl_lossy.jxl -d 1 --quiet && djxl jxl_lossy.jxl jxl_lossy.ref.png --quiet
cjxl source_deep.png jxl_deep.jxl -d 1 --quiet && djxl jxl_deep.jxl jxl_deep.ref.png --quiet
cjxl source_alpha.png jxl_alpha.jxl -d 0 --quiet
cjxl source_grey.png jxl_grey.jxl -d 0 --quiet
# Lossless in its own profile, turned by the codestream (cjxl takes the
# PNG's Orientation) and with the phone's EXIF in a box.
cp "$WORK/icc.png" "$WORK/turned.png"
exiftool -q -overwrite_original -Orientation#=6 "$WORK/turned.png"
cjxl "$WORK/turned.png" jxl_exif.jxl -d 0 --quiet
exiftool "${EXIF[@]}" jxl_exif.jxl

# ---- HDR: the colour source's twin coded with PQ and with HLG (BT.2020,
# SDR white at 203 nits; hdr_twin.py), as AVIF (read through libheif, as a
# HEIF is) and JPEG XL. heif-enc writes no nclx box for these.
convert source_colour.png -depth 8 rgb:"$WORK/sdr.rgb"
for curve in pq:16 hlg:18; do
  c=${curve%%:*} tc=${curve#*:}
  ./hdr_twin.py "$c" 61 37 <"$WORK/sdr.rgb" >"$WORK/$c.rgb"
  convert -size 61x37 -depth 16 -endian MSB rgb:"$WORK/$c.rgb" -strip -define png:bit-depth=16 "$WORK/$c.png"
  avifenc -s 6 --min 0 --max 10 -d 10 -y 444 --cicp "9/$tc/9" "$WORK/$c.png" "avif_$c.avif" >/dev/null
done
cjxl "$WORK/pq.png" jxl_pq.jxl -d 0.5 -x color_space=RGB_D65_202_Rel_PeQ --quiet
cjxl "$WORK/hlg.png" jxl_hlg.jxl -d 0.5 -x color_space=RGB_D65_202_Rel_HLG --quiet
