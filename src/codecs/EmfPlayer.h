#pragma once
// Enhanced metafiles: the header record and the record chain after it.
#include <cstdint>
#include <span>

#include "codecs/MetafileCanvas.h"
#include "codecs/MetafilePlay.h"
#include "codecs/MetafileState.h"

namespace plendo::codecs::metafile {

struct EmfHeader {
  struct RectL {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  };
  RectL bounds;  // device pixels
  RectL frame;   // 0.01 mm
  std::uint32_t handles = 0;
  double device_w = 0, device_h = 0;  // reference device in pixels
  double mm_w = 0, mm_h = 0;          // and in millimetres
  std::size_t header_size = 0;
  Point frame_shift{0, 0};  // 0.01 mm, where the frame had to move onto the drawing
  bool y_up = false;        // the drawing counts y upwards from the frame's top

  // The frame in 0.01 mm, or the bounds when the frame is empty.
  double FrameLeft() const;
  double FrameTop() const;
  double FrameWidth() const;
  double FrameHeight() const;
  double DevicePerMmX() const;
  double DevicePerMmY() const;
};

// Throws MetafileError when the bytes do not start with a usable header.
EmfHeader ParseEmfHeader(std::span<const std::uint8_t> bytes);

// Which records draw: the GDI records, or the EMF+ records in the comments
// with the GDI records that follow their GetDC records.
enum class EmfMode { Gdi, Plus };

// Plays the records onto the canvas, the frame filling width x height
// picture pixels. `depth`: how many pictures this one is drawn inside.
PlayResult PlayEmf(std::span<const std::uint8_t> bytes, const EmfHeader& header, MetafileCanvas& canvas,
                   double width, double height, EmfMode mode = EmfMode::Gdi, int depth = 0);

// Whether a comment record holds EMF+ records.
bool HasEmfPlus(std::span<const std::uint8_t> bytes);

}  // namespace plendo::codecs::metafile
