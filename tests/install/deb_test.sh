#!/usr/bin/env bash
# Builds the Debian package from the build folder $1 and lists it: the
# installed files under /usr, version $2, and library dependencies found by
# dpkg-shlibdeps beside the font the panel needs.
set -euo pipefail
build=$1 version=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/plendo_*.deb)
[ "$(basename "$deb")" = "plendo_${version}-1_$(dpkg --print-architecture).deb" ] || fail "named $(basename "$deb")"
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' >"$work/contents"
cat "$work/contents"
while read -r f; do grep -qx "usr/$f" "$work/contents" || fail "not packaged: usr/$f"; done <"$here/installed_files.txt"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6widgets6 libqt6network6 libjpeg62-turbo libpng16-16 libtiff6 libgif7 libcairo2 libc6 fonts-ipafont-gothic; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib"
done
[ "$(dpkg-deb -f "$deb" Version)" = "${version}-1" ] || fail "version"

# Debian's own checks: no error and no warning.
if ! command -v lintian >/dev/null; then
  echo "lintian is not installed (scripts/install-deps.sh installs it): package not checked"
  exit 0
fi
lintian_out=$(lintian --fail-on none "$deb" 2>&1)
echo "$lintian_out"
! grep -E '^[EW]: ' <<<"$lintian_out" || fail "lintian reports errors or warnings"
