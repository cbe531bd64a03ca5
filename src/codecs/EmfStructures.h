#pragma once
// The EMF record structures the player reads: rectangles, point lists,
// regions, fonts, bitmaps, transforms, stock brushes. Each checks that its
// bytes are there before it reads them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/EmfPlayer.h"
#include "codecs/MetafileBytes.h"
#include "codecs/MetafileDib.h"

namespace plendo::codecs::metafile::emf {

using Rect = EmfHeader::RectL;

// POLYPOLY* records: RECTL bounds, u32 figures, u32 points, u32 counts[],
// then the points.
struct PolyPoly {
  std::vector<std::uint32_t> counts;
  std::vector<Point> points;
};

Rect ReadRect(const RecordBytes& r, std::size_t at);
Point ReadPointL(const RecordBytes& r, std::size_t at);
std::vector<Point> ParsePolyPoints(const RecordBytes& r, bool small);
PolyPoly ParsePolyPoly(const RecordBytes& r, bool small);
Region ParseRegion(const RecordBytes& r, std::size_t at, std::size_t size);
Font ParseLogFontW(const RecordBytes& r, std::size_t at);
SurfacePtr ParseDib(const RecordBytes& r, std::size_t info_field, bool with_alpha = false);
std::int32_t DibStoredHeight(const RecordBytes& r, std::size_t info_field);
cairo_matrix_t ReadXform(const RecordBytes& r, std::size_t at);
SurfacePtr MonoPattern(const RecordBytes& r);
Brush StockBrush(std::uint32_t i);

}  // namespace plendo::codecs::metafile::emf
