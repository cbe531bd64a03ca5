#pragma once
// The extension blocks a frame carries, one class per label:
//
//   extension = "!" label(1) ...
//   0xF9 graphic control: size(1) packed(1) delay(2) transparent(1) terminator(1)
//        packed: bit 0 transparent, bit 1 user input, bits 2-4 disposal
//   0xFE comment:         sub-block*
//   0x01 plain text:      size(1) grid and cell data(12) sub-block*
//   0xFF application:     size(1) identifier(8) authentication(3) [more] sub-block*
//        loop sub-blocks: id(1): id and 7 = 1 loop count(2); = 2 buffer size(4)
//
// NewGifExtension picks the class from the bytes ahead; each class then
// reads its whole block, from the "!" on.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "preview/GifBlocks.h"

namespace plendo::preview {

inline constexpr std::uint8_t kGifExtensionIntroducer = '!';
inline constexpr std::uint8_t kGifImageSeparator = ',';
inline constexpr std::uint8_t kGifTrailer = ';';
inline constexpr std::uint8_t kGifTextLabel = 0x01;
inline constexpr std::uint8_t kGifGraphicControlLabel = 0xF9;
inline constexpr std::uint8_t kGifCommentLabel = 0xFE;
inline constexpr std::uint8_t kGifApplicationLabel = 0xFF;

// What parsing needs besides the bytes: the memory budget of the whole load
// and where warnings go (sender, message).
struct GifLoadContext {
  GifLoadBudget budget;
  std::function<void(const void* sender, const char* message)> warning;
  void Warn(const void* sender, const char* message) const {
    if (warning) warning(sender, message);
  }
};

class TGIFExtension {
 public:
  virtual ~TGIFExtension() = default;
  virtual std::uint8_t Label() const = 0;
  // Reads the block from its "!": raises "Invalid extension introducer" for
  // another first byte and the mismatch error for another label.
  void LoadFromReader(GifReader& in, GifLoadContext& context);

 protected:
  virtual void LoadBody(GifReader& in, GifLoadContext& context) = 0;
};

using TGIFExtensionList = std::vector<std::unique_ptr<TGIFExtension>>;

// Unknown labels raise "Unknown extension type"; the reader stays at the "!".
std::unique_ptr<TGIFExtension> NewGifExtension(const GifReader& in);

class TGIFGraphicControlExtension : public TGIFExtension {
 public:
  std::uint8_t Label() const override { return kGifGraphicControlLabel; }

  bool Transparent() const { return packed_ & 0x01; }
  bool UserInput() const { return packed_ & 0x02; }
  int Disposal() const { return (packed_ >> 2) & 0x07; }
  int Delay() const { return delay_; }  // hundredths of a second
  std::uint8_t TransparentColorIndex() const { return transparent_index_; }
  std::uint8_t BlockSize() const { return block_size_; }
  // False when the file ended inside the block (the fields read stand over
  // the defaults).
  bool Complete() const { return complete_; }

 protected:
  void LoadBody(GifReader& in, GifLoadContext& context) override;

 private:
  std::uint8_t block_size_ = 4;
  std::uint8_t packed_ = 0;
  std::uint16_t delay_ = 0;
  std::uint8_t transparent_index_ = 0;
  std::uint8_t terminator_ = 0;
  bool complete_ = false;
};

class TGIFCommentExtension : public TGIFExtension {
 public:
  std::uint8_t Label() const override { return kGifCommentLabel; }
  const std::vector<std::string>& Lines() const { return lines_; }

 protected:
  void LoadBody(GifReader& in, GifLoadContext& context) override;

 private:
  std::vector<std::string> lines_;
};

class TGIFTextExtension : public TGIFExtension {
 public:
  std::uint8_t Label() const override { return kGifTextLabel; }
  // The block size byte and the 12 bytes of grid and cell data after it.
  const std::array<std::uint8_t, 13>& Header() const { return header_; }
  const std::vector<std::string>& Lines() const { return lines_; }

 protected:
  void LoadBody(GifReader& in, GifLoadContext& context) override;

 private:
  std::array<std::uint8_t, 13> header_{};
  std::vector<std::string> lines_;
};

class TGIFApplicationExtension : public TGIFExtension {
 public:
  std::uint8_t Label() const override { return kGifApplicationLabel; }
  // Identifier and authentication code: 11 bytes, or 10 when the block
  // size says 10.
  const std::string& Identifier() const { return identifier_; }

 protected:
  void LoadBody(GifReader& in, GifLoadContext& context) final;
  virtual void LoadSubBlocks(GifReader& in, GifLoadContext& context) = 0;

 private:
  std::string identifier_;
};

// "NETSCAPE2.0" and "ANIMEXTS1.0": how often the animation plays, and how
// many bytes to buffer first.
class TGIFAppExtNSLoop : public TGIFApplicationExtension {
 public:
  bool HasLoopCount() const { return has_loop_count_; }
  std::uint16_t LoopCount() const { return loop_count_; }  // 0: without end
  bool HasBufferSize() const { return has_buffer_size_; }
  std::uint32_t BufferSize() const { return buffer_size_; }

 protected:
  void LoadSubBlocks(GifReader& in, GifLoadContext& context) override;

 private:
  bool has_loop_count_ = false, has_buffer_size_ = false;
  std::uint16_t loop_count_ = 0;
  std::uint32_t buffer_size_ = 0;
};

// One sub-block as the file had it.
struct TGIFBlock {
  std::vector<std::uint8_t> data;
};

class TGIFUnknownAppExtension : public TGIFApplicationExtension {
 public:
  const std::vector<TGIFBlock>& Blocks() const { return blocks_; }

 protected:
  void LoadSubBlocks(GifReader& in, GifLoadContext& context) override;

 private:
  std::vector<TGIFBlock> blocks_;
};

// The identifiers that make an application extension a loop extension.
bool IsLoopExtensionIdentifier(GifBytes eleven);

}  // namespace plendo::preview
