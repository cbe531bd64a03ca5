#pragma once
// Small EMF and WMF files written record by record, for what the files of
// others do not hold. One logical unit is one pixel at the natural size.
#include <cstdint>
#include <string>
#include <vector>

#include "support/TestFiles.h"

namespace plendo::test {

class RecordWriter {
 public:
  RecordWriter& U16(std::uint32_t v) {
    bytes_.push_back(static_cast<std::uint8_t>(v)), bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
    return *this;
  }
  RecordWriter& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  // UTF-16 code units, padded to four bytes.
  RecordWriter& Utf16(const std::u16string& s) {
    for (char16_t c : s) U16(c);
    while (bytes_.size() % 4) bytes_.push_back(0);
    return *this;
  }
  const Bytes& Data() const { return bytes_; }

 private:
  Bytes bytes_;
};

class EmfBuilder {
 public:
  EmfBuilder(int width, int height) : width_(width), height_(height) {}

  // A record of the given type: its words, then optional bytes.
  EmfBuilder& Add(std::uint32_t type, const std::vector<std::uint32_t>& words, const Bytes& tail = {}) {
    RecordWriter r;
    r.U32(type).U32(static_cast<std::uint32_t>(8 + 4 * words.size() + tail.size()));
    for (std::uint32_t w : words) r.U32(w);
    records_.insert(records_.end(), r.Data().begin(), r.Data().end());
    records_.insert(records_.end(), tail.begin(), tail.end());
    ++count_;
    return *this;
  }
  // EMR_EXTCREATEFONTINDIRECTW with a character height of `px`, then
  // selected as object 1.
  EmfBuilder& Font(const std::u16string& face, int px) {
    Bytes name = RecordWriter().Utf16(face).Data();
    name.resize(64, 0);
    Add(82, {1, static_cast<std::uint32_t>(-px), 0, 0, 0, 400, 1u << 24, 0}, name);  // DEFAULT_CHARSET
    return Add(37, {1});
  }
  // EMR_EXTTEXTOUTA (8-bit characters) or W at (x, y), no advances.
  EmfBuilder& Text(int x, int y, const std::u16string& text, bool ansi = false) {
    Bytes tail(text.begin(), text.end());
    if (ansi) tail.resize((tail.size() + 3) / 4 * 4, 0);
    else tail = RecordWriter().Utf16(text).Data();
    // bounds, graphics mode, scales, EMRTEXT (reference, chars, string at
    // 76, options, rectangle, no advances).
    return Add(ansi ? 83 : 84,
               {0, 0, 0, 0, 1, 0, 0, static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                static_cast<std::uint32_t>(text.size()), 76, 0, 0, 0, 0, 0, 0},
               tail);
  }

  Bytes Finish() const {
    Bytes out = Header();
    out.insert(out.end(), records_.begin(), records_.end());
    RecordWriter eof;
    eof.U32(14).U32(20).U32(0).U32(16).U32(20);
    out.insert(out.end(), eof.Data().begin(), eof.Data().end());
    const std::uint32_t size = static_cast<std::uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) out[48 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    return out;
  }

 private:
  // A reference device of 96 dpi: 1920 x 1080 pixels, 508 x 285.75 mm.
  Bytes Header() const {
    const auto frame = [](int px) { return static_cast<std::uint32_t>(px * 2540 / 96); };
    RecordWriter h;
    h.U32(1).U32(108).U32(0).U32(0).U32(width_ - 1).U32(height_ - 1);
    h.U32(0).U32(0).U32(frame(width_)).U32(frame(height_));
    h.U32(0x464D4520).U32(0x10000).U32(0).U32(count_ + 2).U16(4).U16(0).U32(0).U32(0).U32(0);
    h.U32(1920).U32(1080).U32(508).U32(286).U32(0).U32(0).U32(0).U32(508000).U32(285750);
    return h.Data();
  }

  int width_, height_;
  Bytes records_;
  std::uint32_t count_ = 0;
};

// A placeable WMF whose box is width x height units at 96 per inch.
class WmfBuilder {
 public:
  WmfBuilder(int width, int height) : width_(width), height_(height) {}

  // A record: function, then its 16-bit parameters.
  WmfBuilder& Add(std::uint16_t function, const std::vector<std::uint16_t>& words) {
    RecordWriter r;
    r.U32(static_cast<std::uint32_t>(3 + words.size())).U16(function);
    for (std::uint16_t w : words) r.U16(w);
    records_.insert(records_.end(), r.Data().begin(), r.Data().end());
    return *this;
  }

  Bytes Finish() const {
    RecordWriter h;
    h.U32(0x9AC6CDD7).U16(0).U16(0).U16(0).U16(width_).U16(height_).U16(96).U32(0).U16(0);
    h.U16(1).U16(9).U16(0x300).U32(0).U16(8).U32(0).U16(0);
    Bytes out = h.Data();
    out.insert(out.end(), records_.begin(), records_.end());
    RecordWriter eof;
    eof.U32(3).U16(0);
    out.insert(out.end(), eof.Data().begin(), eof.Data().end());
    return out;
  }

 private:
  int width_, height_;
  Bytes records_;
};

}  // namespace plendo::test
