#!/usr/bin/env bash
# Reads the ThreadSanitizer logs in folder $1 (written with log_path) of a run
# whose programs load the libraries program $2 loads, prints every report but
# those of the two known sites below, and fails if there is one.
#
# Both sites are in stripped libraries that ThreadSanitizer does not
# instrument: it sees their calls to malloc, memcpy and memmove, but not the
# atomics or plain loads that order them, and their frames have no name a
# suppression could match. So each site is named by its place in one build of
# its library (Debian 12, amd64), read from that build's machine code, and is
# let through only in that build. Another build places them elsewhere; then no
# report of that library is let through until they are read again.
# A report is a site's when its racing access is that site's access, made by
# the named interceptor at the named place, and its memory a block from the
# named malloc. ThreadSanitizer shows a return address less one.
#
# cairo's clip pool (libcairo2 1.16.0-7). libcairo keeps freed clips
# (cairo_clip_t, 72 bytes) in a small lock-free pool and gives them to the
# next clip made, on whichever thread. The pool's compare-and-swap orders the
# two uses, but ThreadSanitizer sees neither that nor cairo's own writes, only
# the memcpy with which _cairo_clip_copy copies one clip's boxes into another.
# Both clips may be recycled, so that memcpy's write to the new clip and its
# read of the old one look unordered after another thread's last memcpy into
# the same block, in the block's earlier life.
#   _cairo_clip_create at 0x22470: takes a clip from the pool (lock cmpxchg),
#     else calls malloc(0x48) at 0x224ef, so its blocks show as +0x224f3;
#   _cairo_clip_copy at 0x226d0: _cairo_clip_create, then the boxes copied by
#     the memcpy at 0x22770, shown as +0x22774: a read or a write.
#
# libjxl's sRGB colour encoding (libjxl0.7 0.7.0-10+deb12u1). The encoder
# copies jxl::ColorEncoding::SRGB(is_gray), a function-local static array of
# two encodings, each with its ICC profile in a PaddedBytes. The first thread
# to ask builds it under __cxa_guard_acquire and __cxa_guard_release, which
# ThreadSanitizer intercepts; a later thread finds the guard byte set by a
# plain load inlined in libjxl, which it cannot see, and goes straight to the
# copy. So the copy looks unordered after the building thread's writes.
#   0x1a46a0 is that accessor: movzbl of the guard at 0x357520, the array at
#     0x357540 returned without a call when it is set;
#   0xcea8e calls it and keeps the result in rbx; the memmove at 0xceb15 then
#     reads the profile's bytes from 0x48(%rbx), shown as +0xceb19: a read;
#   0x1a0510, jxl::CacheAligned::Allocate, holds every PaddedBytes' storage:
#     its malloc at 0x1a054d shows as +0x1a0551.
set -euo pipefail
logs=$1 program=$2

# library, build ID, racing access (kind, interceptor, place), block's malloc
sites=(
  "libcairo.so.2 3b00371c4a7d7f8f50e68f20fa815163fb7df7fa Read|Write memcpy 0x22774 0x224f3"
  "libjxl.so.0.7 e06acf18c9740f66856ba33c878890f2e16f7d46 Read memmove 0xceb19 0x1a0551"
)
known=""
for site in "${sites[@]}"; do
  read -r library build_id _ <<<"$site"
  path=$(ldd "$program" | awk -v l="$library" '$1 == l { print $3 }')
  build=$( [ -n "$path" ] && readelf -n "$path" | awk '/Build ID/ { print $3 }' || true)
  if [ "$build" = "$build_id" ]; then
    known+="$site"$'\n'
  else
    echo "${path:-$library} is build ${build:-unknown}, not the one whose site this script knows"
  fi
done

shopt -s nullglob
reports=("$logs"/*)
[ ${#reports[@]} -gt 0 ] || { echo "ThreadSanitizer reported nothing"; exit 0; }
# One report runs from its WARNING line to the next line of '=' signs. In a
# section (the racing access, the earlier one, the location) the first frame
# outside ThreadSanitizer's own library is the code that made the access.
awk -v known="$known" '
  BEGIN {
    n = split(known, lines, "\n")
    for (i = 1; i <= n; ++i) if (split(lines[i], f, " ") == 6) {
      ++sites; lib[sites] = f[1]; kind[sites] = f[3]; via[sites] = f[4]
      at[sites] = "(" f[1] "+" f[5] ")"; from[sites] = "(" f[1] "+" f[6] ")"
    }
  }
  function judge(   i) {
    if (text == "") return
    for (i = 1; i <= sites; ++i)
      if (type == "data race" && access_kind ~ ("^(" kind[i] ")$") && interceptor == via[i] &&
          index(access, at[i]) && index(block, from[i])) { let[lib[i]]++; text = ""; return }
    printf "%s", text; bad++
    text = ""
  }
  /^WARNING: ThreadSanitizer: / { judge(); type = substr($0, 27); sub(/ \(pid=.*/, "", type)
                                  text = $0 "\n"; section = ""; access = access_kind = block = interceptor = ""; next }
  text == "" && /^(FATAL|ThreadSanitizer:)/ && !/^ThreadSanitizer: reported/ { print; bad++; next }
  text == "" { next }
  /^====/ { judge(); next }
  { text = text $0 "\n" }
  /^  (Read|Write|Atomic)/ && section == "" { section = "access"; access_kind = $1; next }
  /^  (Previous|Location)/ { section = ($0 ~ /Location is heap block/) ? "block" : "other"; next }
  /^    #[0-9]+ / {
    if (section == "access" && access == "") {
      if ($0 ~ /\(libtsan\.so/) { if (interceptor == "") interceptor = $2 } else access = $0
    }
    if (section == "block" && block == "" && $0 !~ /\(libtsan\.so/) block = $0
  }
  END {
    judge()
    for (i = 1; i <= sites; ++i) printf "ThreadSanitizer: %d report(s) of %s'"'"'s known site let through\n", let[lib[i]], lib[i]
    printf "ThreadSanitizer: %d other report(s)\n", bad
    exit bad > 0
  }
' "${reports[@]}"
