#!/usr/bin/env bash
# Reads the ThreadSanitizer logs in folder $1 (written with log_path) of a run
# whose programs load libcairo as program $2 does, prints every report but
# those of cairo's clip pool below, and fails if there is one.
#
# cairo's clip pool. libcairo keeps freed clips (cairo_clip_t, 72 bytes) in a
# small lock-free pool and gives them to the next clip made, on whichever
# thread. The pool's compare-and-swap orders the two uses, but libcairo is not
# instrumented: ThreadSanitizer sees neither that nor cairo's own writes, only
# the memcpy with which _cairo_clip_copy fills a recycled clip, which then
# looks unordered after the other thread's last memcpy into it. Debian's
# libcairo is stripped, so these functions have no name a suppression could
# match; the two sites are named here by their place in that one build
# (libcairo2 1.16.0-7, amd64), read from its machine code:
#   _cairo_clip_create at 0x22470: takes a clip from the pool (lock cmpxchg),
#     else calls malloc(0x48) at 0x224ef, so its blocks show as +0x224f3;
#   _cairo_clip_copy at 0x226d0: _cairo_clip_create, then the boxes copied by
#     the memcpy at 0x22770, shown as +0x22774.
# A report is the clip pool's when its racing access is that memcpy and its
# memory a block from that malloc. Another build of libcairo places them
# elsewhere; then no report is let through until they are read again.
set -euo pipefail
logs=$1 program=$2
cairo_build=3b00371c4a7d7f8f50e68f20fa815163fb7df7fa

cairo=$(ldd "$program" | awk '$1 == "libcairo.so.2" { print $3 }')
build=$(readelf -n "$cairo" | awk '/Build ID/ { print $3 }')
known=1
if [ "$build" != "$cairo_build" ]; then
  echo "$cairo is build $build, not the one whose clip-pool sites this script knows"
  known=0
fi

shopt -s nullglob
reports=("$logs"/*)
[ ${#reports[@]} -gt 0 ] || { echo "ThreadSanitizer reported nothing"; exit 0; }
# One report runs from its WARNING line to the next line of '=' signs. In a
# section (the racing access, the earlier one, the location) the first frame
# outside ThreadSanitizer's own library is the code that made the access.
awk -v known="$known" '
  function judge() {
    if (text == "") return
    if (known && type == "data race" && access ~ /\(libcairo\.so\.2\+0x22774\)/ &&
        interceptor == "memcpy" && block ~ /\(libcairo\.so\.2\+0x224f3\)/) pool++
    else { printf "%s", text; bad++ }
    text = ""
  }
  /^WARNING: ThreadSanitizer: / { judge(); type = substr($0, 27); sub(/ \(pid=.*/, "", type)
                                  text = $0 "\n"; section = ""; access = block = interceptor = ""; next }
  text == "" && /^(FATAL|ThreadSanitizer:)/ && !/^ThreadSanitizer: reported/ { print; bad++; next }
  text == "" { next }
  /^====/ { judge(); next }
  { text = text $0 "\n" }
  /^  (Read|Write|Atomic)/ && section == "" { section = "access"; next }
  /^  (Previous|Location)/ { section = ($0 ~ /Location is heap block/) ? "block" : "other"; next }
  /^    #[0-9]+ / {
    if (section == "access" && access == "") {
      if ($0 ~ /\(libtsan\.so/) { if (interceptor == "") interceptor = $2 } else access = $0
    }
    if (section == "block" && block == "" && $0 !~ /\(libtsan\.so/) block = $0
  }
  END {
    judge()
    printf "ThreadSanitizer: %d report(s) of cairo'"'"'s clip pool let through, %d other(s)\n", pool, bad
    exit bad > 0
  }
' "${reports[@]}"
