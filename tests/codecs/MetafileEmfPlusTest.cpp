// EMF+ records: every record kind written by the test builder, the choice
// between EMF+ and GDI records, and damaged streams.
#include <gtest/gtest.h>

#include <functional>

#include "MetafileBuilder.h"
#include "MetafileFiles.h"
#include "support/EmfPlusBuilder.h"
#include "support/TestNames.h"

namespace plendo::codecs {
namespace {

using test::EmfPlusRecords;
using test::PlusData;

constexpr std::uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

// An EMF of 100 x 100 pixels holding the records, then `gdi` after them.
test::Bytes EmfWith(const EmfPlusRecords& plus, const std::function<void(test::EmfBuilder&)>& gdi = {}) {
  test::EmfBuilder e(100, 100);
  for (const test::Bytes& c : plus.Comments()) {
    test::Bytes data = c;
    data.resize((data.size() + 3) / 4 * 4, 0);
    e.Add(70, {static_cast<std::uint32_t>(c.size())}, data);
  }
  if (gdi) gdi(e);
  return e.Finish();
}

platform::Rgba At(const platform::Bitmap& b, int x, int y) { return b.PixelAt(x, y); }

bool Near(platform::Rgba p, std::uint32_t argb) {
  return std::abs(p.r - int(argb >> 16 & 0xFF)) < 40 && std::abs(p.g - int(argb >> 8 & 0xFF)) < 40 &&
         std::abs(p.b - int(argb & 0xFF)) < 40;
}

PlusData Rect(float x, float y, float w, float h) { return std::move(PlusData().Floats({x, y, w, h})); }

struct Case {
  const char* name;
  std::function<void(EmfPlusRecords&)> records;
  int x, y;                 // where the colour must be
  std::uint32_t colour;
  int out_x = 2, out_y = 2;  // and a place left white
  friend void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
};

class EmfPlusRecord : public ::testing::TestWithParam<Case> {};

TEST_P(EmfPlusRecord, DrawsWhereItSays) {
  const Case& c = GetParam();
  EmfPlusRecords plus;
  plus.Header();
  c.records(plus);
  const platform::Bitmap drawn = test::DrawOnWhite(EmfWith(plus), 100, 100);
  const platform::Rgba in = At(drawn, c.x, c.y), out = At(drawn, c.out_x, c.out_y);
  EXPECT_TRUE(Near(in, c.colour)) << int(in.r) << "," << int(in.g) << "," << int(in.b);
  EXPECT_TRUE(Near(out, 0xFFFFFFFF)) << int(out.r) << "," << int(out.g) << "," << int(out.b);
}

// A red square filled over 20..60 by the record under test.
void FillSquare(EmfPlusRecords& p) { p.Add(0x400A, 0x8000, PlusData().U32(kRed).U32(1).Raw(Rect(20, 20, 40, 40).Data()).Data()); }

const Case kCases[] = {
    {"FillRectsWithColour", FillSquare, 40, 40, kRed},
    {"FillRectsWithBrushInPieces",
     [](EmfPlusRecords& p) {
       p.Object(3, 1, test::SolidBrush(kBlue), 5);
       p.Add(0x400A, 0, PlusData().U32(3).U32(1).Raw(Rect(20, 20, 40, 40).Data()).Data());
     },
     40, 40, kBlue},
    {"FillRectsWithBrushInPiecesSizedInTheirHeaders",
     [](EmfPlusRecords& p) {
       p.Object(3, 1, test::SolidBrush(kBlue), 4, true);
       p.Add(0x400A, 0, PlusData().U32(3).U32(1).Raw(Rect(20, 20, 40, 40).Data()).Data());
     },
     40, 40, kBlue},
    {"FillPolygonCompressed",
     [](EmfPlusRecords& p) {
       p.Add(0x400C, 0xC000, PlusData().U32(kRed).U32(3).U16(10).U16(10).U16(90).U16(10).U16(10).U16(90).Data());
     },
     25, 25, kRed, 80, 80},
    {"FillPolygonRelative",
     [](EmfPlusRecords& p) {
       // (10,10), then +80,0 (15-bit), then -80,+80.
       p.Add(0x400C, 0x8800,
             PlusData().U32(kRed).U32(3).Raw({10, 10, 0x80, 80, 0, 0x80 | 0x7F, 0xB0, 0x80, 80}).Data());
     },
     25, 25, kRed, 80, 80},
    {"FillEllipse",
     [](EmfPlusRecords& p) { p.Add(0x400E, 0x8000, PlusData().U32(kRed).Raw(Rect(10, 10, 80, 80).Data()).Data()); },
     50, 50, kRed, 14, 14},
    {"FillPieClockwiseFromThreeOClock",
     [](EmfPlusRecords& p) {
       p.Add(0x4010, 0x8000, PlusData().U32(kRed).F32(0).F32(90).Raw(Rect(10, 10, 80, 80).Data()).Data());
     },
     65, 65, kRed, 35, 35},
    {"DrawLinesWithPen",
     [](EmfPlusRecords& p) {
       p.Object(1, 2, test::Pen(8, kBlue));
       p.Add(0x400D, 1, PlusData().U32(2).Floats({10, 50, 90, 50}).Data());
     },
     50, 52, kBlue, 50, 40},
    {"DrawRects",
     [](EmfPlusRecords& p) {
       p.Object(1, 2, test::Pen(6, kBlue));
       p.Add(0x400B, 1, PlusData().U32(1).Raw(Rect(20, 20, 60, 60).Data()).Data());
     },
     20, 50, kBlue, 50, 50},
    {"DrawArc",
     [](EmfPlusRecords& p) {
       p.Object(1, 2, test::Pen(6, kBlue));
       p.Add(0x4012, 1, PlusData().F32(0).F32(180).Raw(Rect(10, 10, 80, 80).Data()).Data());
     },
     50, 89, kBlue, 50, 11},
    {"FillPathInPieces",
     [](EmfPlusRecords& p) {
       p.Object(7, 3, test::PathObject({20, 20, 80, 20, 80, 80, 20, 80}, {0, 1, 1, 0x81}), 7);
       p.Add(0x4014, 0x8007, PlusData().U32(kRed).Data());
     },
     50, 50, kRed},
    {"DrawPathOfBeziers",
     [](EmfPlusRecords& p) {
       p.Object(1, 2, test::Pen(6, kBlue));
       p.Object(2, 3, test::PathObject({10, 50, 40, 50, 60, 50, 90, 50}, {0, 3, 3, 3}));
       p.Add(0x4015, 2, PlusData().U32(1).Data());
     },
     50, 51, kBlue, 50, 30},
    {"DrawBeziers",
     [](EmfPlusRecords& p) {
       p.Object(1, 2, test::Pen(6, kBlue));
       p.Add(0x4019, 1, PlusData().U32(4).Floats({10, 50, 40, 50, 60, 50, 90, 50}).Data());
     },
     50, 51, kBlue, 50, 30},
    {"FillClosedCurve",
     [](EmfPlusRecords& p) {
       p.Add(0x4016, 0x8000, PlusData().U32(kRed).F32(0.5f).U32(4).Floats({50, 10, 90, 50, 50, 90, 10, 50}).Data());
     },
     50, 50, kRed},
    {"DrawCurveSegment",
     [](EmfPlusRecords& p) {
       p.Object(1, 2, test::Pen(6, kBlue));
       p.Add(0x4018, 1, PlusData().F32(0.5f).U32(1).U32(1).U32(3).Floats({10, 50, 50, 50, 90, 50}).Data());
     },
     70, 51, kBlue, 30, 51},
    {"WorldTranslation",
     [](EmfPlusRecords& p) {
       p.Add(0x402D, 0, PlusData().F32(30).F32(0).Data());
       FillSquare(p);
     },
     85, 40, kRed, 30, 40},
    {"PageInMillimetres",
     [](EmfPlusRecords& p) {
       p.Add(0x4030, 6, PlusData().F32(1).Data());  // 20 mm: about 76 pixels
       p.Add(0x400A, 0x8000, PlusData().U32(kRed).U32(1).Raw(Rect(10, 10, 5, 5).Data()).Data());
     },
     45, 45, kRed, 30, 30},
    {"SaveAndRestore",
     [](EmfPlusRecords& p) {
       p.Add(0x4025, 0, PlusData().U32(7).Data());
       p.Add(0x402D, 0, PlusData().F32(30).F32(0).Data());
       p.Add(0x4026, 0, PlusData().U32(7).Data());
       FillSquare(p);
     },
     40, 40, kRed, 70, 40},
    {"ContainerEnds",
     [](EmfPlusRecords& p) {
       p.Add(0x4028, 0, PlusData().U32(2).Data());
       p.Add(0x402E, 0, PlusData().F32(0.25f).F32(0.25f).Data());
       p.Add(0x4029, 0, PlusData().U32(2).Data());
       FillSquare(p);
     },
     55, 55, kRed},
    {"ClipRectIntersect",
     [](EmfPlusRecords& p) {
       p.Add(0x4032, 0x100, Rect(0, 0, 40, 100).Data());
       FillSquare(p);
     },
     30, 40, kRed, 50, 40},
    {"ClipRectExclude",
     [](EmfPlusRecords& p) {
       p.Add(0x4032, 0x400, Rect(0, 0, 40, 100).Data());
       FillSquare(p);
     },
     50, 40, kRed, 30, 40},
    {"ResetClip",
     [](EmfPlusRecords& p) {
       p.Add(0x4032, 0x100, Rect(0, 0, 10, 10).Data());
       p.Add(0x4031, 0);
       FillSquare(p);
     },
     40, 40, kRed},
    {"OffsetClip",
     [](EmfPlusRecords& p) {
       p.Add(0x4032, 0, Rect(0, 0, 40, 100).Data());
       p.Add(0x4035, 0, PlusData().F32(40).F32(0).Data());
       FillSquare(p);
     },
     50, 40, kRed, 30, 40},
    {"ClipRegion",
     [](EmfPlusRecords& p) {
       p.Object(4, 4, test::RectRegion(0, 0, 40, 100));
       p.Add(0x4034, 0x0104);
       FillSquare(p);
     },
     30, 40, kRed, 50, 40},
    {"FillRegion",
     [](EmfPlusRecords& p) {
       p.Object(4, 4, test::RectRegion(20, 20, 40, 40));
       p.Add(0x4013, 0x8004, PlusData().U32(kRed).Data());
     },
     40, 40, kRed},
    {"LinearGradient",
     [](EmfPlusRecords& p) {
       p.Object(1, 1, test::LinearBrush(20, 20, 60, 40, kRed, kBlue));
       p.Add(0x400A, 0, PlusData().U32(1).U32(1).Raw(Rect(20, 20, 60, 40).Data()).Data());
     },
     22, 40, kRed, 50, 90},
    {"HatchBrush",
     [](EmfPlusRecords& p) {
       p.Object(1, 1, test::HatchBrush(0, kBlue, kRed));  // horizontal lines on red
       p.Add(0x400A, 0, PlusData().U32(1).U32(1).Raw(Rect(20, 20, 40, 40).Data()).Data());
     },
     40, 41, kRed},
    {"DrawImageWithSourceRect",
     [](EmfPlusRecords& p) {
       p.Object(5, 5, test::SolidBitmap(8, 8, 255, 0, 0), 40);
       p.Add(0x401A, 5, PlusData().U32(0).U32(2).Floats({0, 0, 8, 8}).Raw(Rect(20, 20, 40, 40).Data()).Data());
     },
     40, 40, kRed},
    {"DrawImagePoints",
     [](EmfPlusRecords& p) {
       p.Object(5, 5, test::SolidBitmap(8, 8, 0, 0, 255));
       p.Add(0x401B, 5, PlusData().U32(0).U32(2).Floats({0, 0, 8, 8}).U32(3).Floats({20, 20, 60, 20, 20, 60}).Data());
     },
     40, 40, kBlue},
    {"Clear",
     [](EmfPlusRecords& p) {
       p.Add(0x4032, 0, Rect(20, 20, 40, 40).Data());
       p.Add(0x4009, 0, PlusData().U32(kRed).Data());
     },
     40, 40, kRed},
};

INSTANTIATE_TEST_SUITE_P(Builder, EmfPlusRecord, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

// GDI records draw after GetDC; the GDI fallback between EMF+ records does not.
TEST(EmfPlusGetDc, GdiRecordsAfterItDrawAndTheFallbackDoesNot) {
  // BLACK_BRUSH, then a rectangle filled with it.
  const auto rectangle = [](test::EmfBuilder& e, std::uint32_t l) { e.Add(37, {0x80000004}).Add(43, {l, 20, l + 20, 80}); };
  EmfPlusRecords fallback;
  fallback.Header(1);
  FillSquare(fallback);
  const platform::Bitmap a = test::DrawOnWhite(EmfWith(fallback, [&](auto& e) { rectangle(e, 70); }), 100, 100);
  EXPECT_TRUE(Near(At(a, 80, 50), 0xFFFFFFFF));
  EmfPlusRecords get_dc;
  get_dc.Header(1);
  FillSquare(get_dc);
  get_dc.Add(0x4004, 0);
  const platform::Bitmap b = test::DrawOnWhite(EmfWith(get_dc, [&](auto& e) { rectangle(e, 70); }), 100, 100);
  EXPECT_TRUE(Near(At(b, 80, 50), 0xFF000000));
}

// A dual file whose EMF+ records break draws from its GDI records; an EMF+
// stream that draws nothing, with no GDI drawing either, is refused.
TEST(EmfPlusFallback, BrokenEmfPlusGivesTheGdiDrawingAndNothingIsRefused) {
  EmfPlusRecords broken;
  broken.Header(1);
  broken.Add(0x400A, 0x8000, PlusData().U32(kRed).U32(1000).Data());  // 1000 rectangles, none there
  const test::Bytes dual = EmfWith(broken, [](test::EmfBuilder& e) { e.Add(37, {0x80000004}).Add(43, {20, 20, 80, 80}); });
  const platform::Bitmap drawn = test::DrawOnWhite(dual, 100, 100);
  EXPECT_TRUE(Near(At(drawn, 50, 50), 0xFF000000));
  EmfPlusRecords empty;
  empty.Header();
  EXPECT_FALSE(test::DrawsOrRefusesCleanly(EmfWith(empty)));
}

// Every prefix of a stream with every kind of record, and each byte of it
// flipped: drawn or refused, never a crash or a read past the end.
TEST(EmfPlusDamage, CutAndFlippedStreamsDrawOrRefuseCleanly) {
  EmfPlusRecords all;
  all.Header();
  for (const Case& c : kCases) c.records(all);
  const test::Bytes whole = EmfWith(all);
  for (std::size_t n = 108; n < whole.size(); n += 7) {
    test::Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
    test::DrawsOrRefusesCleanly(cut);
  }
  for (std::size_t i = 108; i < whole.size(); i += 3) {
    test::Bytes flipped = whole;
    flipped[i] ^= 0xFF;
    test::DrawsOrRefusesCleanly(flipped);
  }
}

}  // namespace
}  // namespace plendo::codecs
