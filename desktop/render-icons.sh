#!/usr/bin/env bash
# Renders the icon's PNG sizes from plendo.svg into icons/ (committed, so a
# build needs no SVG renderer). Run after changing the SVG; needs rsvg-convert
# (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" plendo.svg -o "icons/plendo-$size.png"
done
