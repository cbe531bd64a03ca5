#pragma once
// Walking the marker segments of a JPEG header without decoding it.
#include <cstdint>
#include <functional>
#include <span>

namespace plendo::codecs {

// Calls `visit(marker, body)` for each segment from the start marker up to
// the first scan (body: the bytes after the length field) until it returns
// false. Stops quietly at anything that is not a well-formed segment; a
// stream without FF D8 at its start has none.
void ForEachHeaderSegment(std::span<const std::uint8_t> jpeg,
                          const std::function<bool(std::uint8_t marker, std::span<const std::uint8_t> body)>& visit);

}  // namespace plendo::codecs
