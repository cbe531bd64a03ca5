#!/usr/bin/env bash
# Installs the Debian packages Plendo needs to build, test, run and package
# (help2man writes the manual pages; desktop-file-utils and appstream check the
# desktop entry and metainfo; dpkg-dev and file let CPack find the .deb's
# library dependencies, lintian checks the package; qt6-translations-l10n
# holds Qt's own Japanese texts for the panel's dialogs; qt6-tools-dev and
# qt6-l10n-tools bring lupdate and lrelease for the translations; dwebp, avifdec and
# djxl decode the outputs in the tests as their formats' own tools); with
# --bench also the peers and tools bench/compare.sh measures against; with
# --fuzz also clang, for the libFuzzer build of fuzz/; with --tsan also
# glibc's symbols, which the ThreadSanitizer suppressions name.
# Quick and quiet when everything is present; apt-get update only when not.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev
  libjpeg-dev libpng-dev libgif-dev libtiff-dev zlib1g-dev libcairo2-dev libfontconfig-dev liblcms2-dev
  libheif-dev libwebp-dev libjxl-dev libavif-dev
  webp libavif-bin libjxl-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic
  libimage-exiftool-perl
  xvfb xauth imagemagick
  qt6-translations-l10n qt6-tools-dev qt6-l10n-tools
  help2man desktop-file-utils appstream dpkg-dev file lintian
)

case "${1:-}" in
  "") ;;
  --bench) PACKAGES+=(python3-pil python3-numpy libvips-tools libjpeg-turbo-progs time libheif-examples bc) ;;
  --fuzz) PACKAGES+=(clang) ;;
  --tsan) PACKAGES+=(libc6-dbg) ;;
  *) echo "usage: $0 [--bench|--fuzz|--tsan]" >&2; exit 2 ;;
esac

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
