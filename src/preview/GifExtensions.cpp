#include "preview/GifExtensions.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace plendo::preview {
namespace {

constexpr std::array<std::string_view, 2> kLoopIdentifiers = {"NETSCAPE2.0", "ANIMEXTS1.0"};

std::uint32_t GifDoubleWord(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

// What a kept block costs beside its bytes.
constexpr std::size_t kBlockCost = sizeof(TGIFBlock);

}  // namespace

bool IsLoopExtensionIdentifier(GifBytes eleven) {
  if (eleven.size() != 11) return false;
  const std::string_view id(reinterpret_cast<const char*>(eleven.data()), eleven.size());
  return std::find(kLoopIdentifiers.begin(), kLoopIdentifiers.end(), id) != kLoopIdentifiers.end();
}

std::unique_ptr<TGIFExtension> NewGifExtension(const GifReader& in) {
  // in: "!" label ...; for 0xFF: size(1) identifier(11)
  const int label = in.Peek(1);
  if (label < 0) throw GIFException(gif_text::kPrematureEnd);
  switch (label) {
    case kGifTextLabel: return std::make_unique<TGIFTextExtension>();
    case kGifGraphicControlLabel: return std::make_unique<TGIFGraphicControlExtension>();
    case kGifCommentLabel: return std::make_unique<TGIFCommentExtension>();
    case kGifApplicationLabel: {
      const GifBytes ahead = in.PeekBytes(3 + 11);
      if (!ahead.empty() && ahead[2] == 11 && IsLoopExtensionIdentifier(ahead.subspan(3)))
        return std::make_unique<TGIFAppExtNSLoop>();
      return std::make_unique<TGIFUnknownAppExtension>();
    }
    default: throw GIFException(gif_text::kUnknownExtension);
  }
}

void TGIFExtension::LoadFromReader(GifReader& in, GifLoadContext& context) {
  const GifBytes start = in.Read(2);
  if (start[0] != kGifExtensionIntroducer) throw GIFException(gif_text::kInvalidIntroducer);
  if (start[1] != Label()) throw GIFException(gif_text::kExtensionMismatch);
  LoadBody(in, context);
}

void TGIFGraphicControlExtension::LoadBody(GifReader& in, GifLoadContext& context) {
  const GifBytes b = in.ReadUpTo(6);
  if (b.size() > 0) block_size_ = b[0];
  if (b.size() > 1) packed_ = b[1];
  if (b.size() > 3) delay_ = GifWord(&b[2]);
  if (b.size() > 4) transparent_index_ = b[4];
  if (b.size() > 5) terminator_ = b[5];
  complete_ = b.size() == 6;
  if (!complete_) context.Warn(this, gif_text::kPrematureEnd);
}

void TGIFCommentExtension::LoadBody(GifReader& in, GifLoadContext& context) {
  lines_ = ReadSubBlockLines(in, context.budget);
}

void TGIFTextExtension::LoadBody(GifReader& in, GifLoadContext& context) {
  const GifBytes header = in.Read(header_.size());
  std::copy(header.begin(), header.end(), header_.begin());
  lines_ = ReadSubBlockLines(in, context.budget);
}

void TGIFApplicationExtension::LoadBody(GifReader& in, GifLoadContext& context) {
  const GifBytes size = in.Read(1);
  if (size[0] == 10) {
    const GifBytes id = in.Read(10);
    identifier_.assign(id.begin(), id.end());
  } else if (size[0] < 11) {
    throw GIFException(gif_text::kAppExtensionSize);
  } else {
    const GifBytes id = in.Read(11);
    identifier_.assign(id.begin(), id.end());
    in.Read(size[0] - 11u);
  }
  LoadSubBlocks(in, context);
}

void TGIFAppExtNSLoop::LoadSubBlocks(GifReader& in, GifLoadContext&) {
  ReadSubBlocks(in, [this](GifBytes block) {
    switch (block[0] & 0x07) {
      case 1:
        if (block.size() < 3) throw GIFException(gif_text::kInvalidData);
        loop_count_ = GifWord(&block[1]);
        has_loop_count_ = true;
        break;
      case 2:
        if (block.size() < 5) throw GIFException(gif_text::kInvalidData);
        buffer_size_ = GifDoubleWord(&block[1]);
        has_buffer_size_ = true;
        break;
      default: break;
    }
  });
}

void TGIFUnknownAppExtension::LoadSubBlocks(GifReader& in, GifLoadContext& context) {
  ReadSubBlocks(in, [&](GifBytes block) {
    if (context.budget.Keep(kBlockCost + block.size())) blocks_.push_back({{block.begin(), block.end()}});
  });
}

}  // namespace plendo::preview
