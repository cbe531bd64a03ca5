#include "preview/GifBlocks.h"

#include <algorithm>

namespace plendo::preview {
namespace {

bool IsGifSignature(GifBytes six) {
  auto upper = [](std::uint8_t c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : int{c}; };
  return upper(six[0]) == 'G' && upper(six[1]) == 'I' && upper(six[2]) == 'F';
}

// What a kept line costs beside its text.
constexpr std::size_t kLineCost = sizeof(std::string);

}  // namespace

TGIFHeader ReadGifHeader(GifReader& in) {
  const std::size_t start = in.Position();
  GifBytes six = in.Read(6);
  if (!IsGifSignature(six)) {
    in.Seek(start);
    in.Read(4);
    six = in.Read(6);
    if (!IsGifSignature(six)) throw GIFException(gif_text::kInvalidSignature);
  }
  TGIFHeader header;
  std::copy(six.begin(), six.begin() + 3, header.signature.begin());
  std::copy(six.begin() + 3, six.end(), header.version.begin());
  const GifBytes screen = in.Read(7);
  header.width = GifWord(&screen[0]);
  header.height = GifWord(&screen[2]);
  header.flags = screen[4];
  header.background = screen[5];
  header.aspect = screen[6];
  if (header.flags & kGifColorTableFlag) header.color_map = ReadColorMap(in, header.flags);
  return header;
}

TGIFColorMap ReadColorMap(GifReader& in, std::uint8_t flags) {
  const std::size_t count = std::size_t{2} << (flags & kGifTableSizeMask);
  const GifBytes rgb = in.Read(3 * count);
  TGIFColorMap map;
  map.entries.resize(count);
  for (std::size_t i = 0; i < count; ++i) map.entries[i] = {rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]};
  return map;
}

TGIFImageDescriptor ReadImageDescriptor(GifReader& in) {
  const GifBytes d = in.Read(10);
  return {d[0], GifWord(&d[1]), GifWord(&d[3]), GifWord(&d[5]), GifWord(&d[7]), d[9]};
}

std::vector<std::string> ReadSubBlockLines(GifReader& in, GifLoadBudget& budget) {
  std::vector<std::string> lines;
  ReadSubBlocks(in, [&](GifBytes block) {
    const auto zero = std::find(block.begin(), block.end(), std::uint8_t{0});
    const auto length = static_cast<std::size_t>(zero - block.begin());
    if (budget.Keep(kLineCost + length)) lines.emplace_back(block.begin(), zero);
  });
  return lines;
}

void SkipSubBlocks(GifReader& in) {
  for (int size = in.ReadByte(); size > 0; size = in.ReadByte()) in.ReadUpTo(static_cast<std::size_t>(size));
}

}  // namespace plendo::preview
