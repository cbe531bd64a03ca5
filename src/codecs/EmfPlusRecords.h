#pragma once
// What the EMF+ player's record handlers share: the record numbers, the
// record flags, and reading matrices and rectangles out of a record.
#include <cstddef>
#include <cstdint>
#include <vector>

#include <cairo.h>

#include "codecs/EmfPlusGeometry.h"

namespace plendo::codecs::metafile::plus {

enum PlusRecord : std::uint16_t {
  kHeader = 0x4001, kEndOfFile = 0x4002, kGetDc = 0x4004, kObject = 0x4008, kClear = 0x4009,
  kFillRects = 0x400A, kDrawRects = 0x400B, kFillPolygon = 0x400C, kDrawLines = 0x400D, kFillEllipse = 0x400E,
  kDrawEllipse = 0x400F, kFillPie = 0x4010, kDrawPie = 0x4011, kDrawArc = 0x4012, kFillRegion = 0x4013,
  kFillPath = 0x4014, kDrawPath = 0x4015, kFillClosedCurve = 0x4016, kDrawClosedCurve = 0x4017,
  kDrawCurve = 0x4018, kDrawBeziers = 0x4019, kDrawImage = 0x401A, kDrawImagePoints = 0x401B,
  kDrawString = 0x401C, kSave = 0x4025, kRestore = 0x4026, kBeginContainer = 0x4027,
  kBeginContainerNoParams = 0x4028, kEndContainer = 0x4029, kSetWorldTransform = 0x402A,
  kResetWorldTransform = 0x402B, kMultiplyWorldTransform = 0x402C, kTranslateWorldTransform = 0x402D,
  kScaleWorldTransform = 0x402E, kRotateWorldTransform = 0x402F, kSetPageTransform = 0x4030,
  kResetClip = 0x4031, kSetClipRect = 0x4032, kSetClipPath = 0x4033, kSetClipRegion = 0x4034,
  kOffsetClip = 0x4035, kDrawDriverString = 0x4036,
};

// Record flags.
constexpr std::uint16_t kSolid = 0x8000;       // the brush field is an ARGB colour
constexpr std::uint16_t kCompressed = 0x4000;  // 16-bit integer coordinates
constexpr std::uint16_t kClosedOrAppend = 0x2000;  // DrawLines: closed; transforms: post-multiply; fills: winding
constexpr std::uint16_t kRelative = 0x0800;    // relative 7/15-bit points

inline cairo_matrix_t Multiply(const cairo_matrix_t& first, const cairo_matrix_t& then) {
  cairo_matrix_t r;
  cairo_matrix_multiply(&r, &first, &then);
  return r;
}

inline cairo_matrix_t ReadMatrix(const RecordBytes& r, std::size_t at) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, r.F32(at), r.F32(at + 4), r.F32(at + 8), r.F32(at + 12), r.F32(at + 16), r.F32(at + 20));
  return m;
}

inline RectF ReadRectF(const RecordBytes& r, std::size_t at) { return ReadRects(r, at, 1, false)[0]; }

inline Path RectsPath(const std::vector<RectF>& rects, const cairo_matrix_t& m) {
  Path p;
  for (const RectF& rc : rects) AppendRectangle(p, m, rc.x, rc.y, rc.x + rc.w, rc.y + rc.h);
  return p;
}

}  // namespace plendo::codecs::metafile::plus
