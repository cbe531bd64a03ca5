// The GIF preview decoder on files built block by block and on damaged real
// files: the fatal errors with their texts, what it tolerates and the
// warnings it passes over, the memory it refuses, and the still image.
#include <gtest/gtest.h>

#include <algorithm>

#include <functional>
#include <random>
#include <sstream>

#include "preview/GifBuilder.h"
#include "preview/GifImage.h"
#include "preview/ImageControl.h"
#include "preview/Picture.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

namespace plendo::preview {
namespace {

using platform::Rgba;
using test::Bytes;
using test::Join;

constexpr Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255}, kWhite{255, 255, 255, 255};
constexpr Rgba kGrey{128, 128, 128, 255};

Bytes Screen(int width, int height) { return test::GifHeader(width, height, {kRed, kGreen, kBlue, kWhite}); }
// 2 x 2: red, green, blue, white.
Bytes Square(std::uint8_t separator = ',') {
  Bytes image = test::Image(2, 2, {0, 1, 2, 3});
  image[0] = separator;
  return image;
}
Bytes Frame(int width, int height, const Bytes& data) { return test::ImageBlock(width, height, data); }
Bytes Cut(const Bytes& file, std::size_t size) { return {file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size)}; }
// Image data that ends at once: every pixel keeps the fill.
Bytes NoData(int width, int height, int left = 0, int top = 0) {
  return test::ImageBlock(width, height, {8, 0}, {.left = left, .top = top});
}
// Data of nothing but clear codes, `bytes` long: it could fill that many
// pixels, but every pixel keeps the fill.
Bytes ClearsOnly(int width, int height, std::size_t bytes) {
  return Frame(width, height, test::ImageData(test::Codes(bytes * 8 / 9, {256, 9}), 8));
}
Bytes LoopExtension(const Bytes& sub_block) {
  const std::string id = "NETSCAPE2.0";
  return Join({{0x21, 0xFF, 11}, Bytes(id.begin(), id.end()), sub_block, {0}});
}

template <class Case>
std::string CaseName(const testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

struct FatalCase {
  const char* name;
  std::function<Bytes()> file;
  const char* text;
};

class GifFatal : public testing::TestWithParam<FatalCase> {};

TEST_P(GifFatal, RaisesItsText) {
  TGIFImage gif;
  try {
    gif.LoadFromBytes(GetParam().file());
    FAIL() << "loaded";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), GetParam().text);
  }
  EXPECT_TRUE(gif.GetEmpty());
}

constexpr const char* kPremature = "Premature end of data";
constexpr const char* kTooLarge = "GIF image is too large for the preview";

INSTANTIATE_TEST_SUITE_P(
    Texts, GifFatal,
    testing::Values(
        FatalCase{"NotAGif", [] { return Bytes{'G', 'I', 'X', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0}; },
                  "Invalid GIF signature"},
        FatalCase{"ShortSignature", [] { return Bytes{'G', 'I', 'F', '8', '9'}; }, kPremature},
        FatalCase{"ShortLocalTable",
                  [] { return Cut(Join({Screen(2, 2), test::Image(1, 1, {0}, {.local = {kRed}})}), 38); },
                  kPremature},
        FatalCase{"ShortPlainTextHeader", [] { return Join({Screen(2, 2), {0x21, 0x01, 12, 0, 0}}); }, kPremature},
        FatalCase{"ShortCommentBlock", [] { return Join({Screen(2, 2), {0x21, 0xFE, 5, 'a', 'b'}}); }, kPremature},
        FatalCase{"UnknownLabel", [] { return Join({Screen(2, 2), {0x21, 0x02, 1, 7, 0}, Square()}); },
                  "Unknown extension type"},
        FatalCase{"ApplicationBlockOfNine",
                  [] { return Join({Screen(2, 2), {0x21, 0xFF, 9}, Bytes(9, 'x'), {0}, Square()}); },
                  "Unsupported Application Extension block size"},
        FatalCase{"LoopCountBlockOfTwo", [] { return Join({Screen(2, 2), LoopExtension({2, 1, 0}), Square()}); },
                  "Invalid GIF data"},
        FatalCase{"BufferSizeBlockOfFour", [] { return Join({Screen(2, 2), LoopExtension({4, 2, 0, 0, 0}), Square()}); },
                  "Invalid GIF data"}),
    CaseName<FatalCase>);

// The decoding one load may do is bounded: past it the frames read so far
// are kept, and a first frame past it is refused.
TEST(GifFatal, DecodingPastTheLoadsLimit) {
  const Bytes frame = test::Image(100, 100, std::vector<std::uint8_t>(10000, 1));
  TGIFImage gif;
  gif.LoadFromBytes(Join({Screen(100, 100), frame, frame, frame, test::kTrailer}), {.decoded_pixels = 25000});
  EXPECT_EQ(gif.Images().Count(), 2);
  try {
    gif.LoadFromBytes(Join({Screen(100, 100), frame}), {.decoded_pixels = 9999});
    FAIL() << "loaded";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), kTooLarge);
  }
  EXPECT_TRUE(gif.GetEmpty());
}

TEST(GifFatal, ExtensionsCheckTheirOwnStart) {
  GifLoadContext context;
  const char* mismatch = "Internal error: Extension Instance does not match Extension Label";
  for (auto [bytes, text] :
       {std::pair{Bytes{'X', 0xFE, 0}, "Invalid extension introducer"}, std::pair{test::GraphicControl(), mismatch}}) {
    GifReader in(bytes);
    try {
      TGIFCommentExtension().LoadFromReader(in, context);
      ADD_FAILURE() << text;
    } catch (const GIFException& e) {
      EXPECT_STREQ(e.what(), text);
    }
  }
}

struct ToleratedCase {
  const char* name;
  std::function<Bytes()> file;
  std::vector<std::string> warnings;
  std::function<void(const TGIFImage&)> check;
};

class GifTolerated : public testing::TestWithParam<ToleratedCase> {};

TEST_P(GifTolerated, LoadsWithItsWarnings) {
  TGIFImage gif;
  std::vector<std::string> warnings;
  gif.SetOnWarning([&](const void*, int, const std::string& message) { warnings.push_back(message); });
  ASSERT_NO_THROW(gif.LoadFromBytes(GetParam().file()));
  EXPECT_EQ(warnings, GetParam().warnings);
  GetParam().check(gif);
}

// The frame's indices, rendered at its own size.
std::vector<std::uint8_t> Indices(const TGIFImage& gif, int frame) {
  const TGIFSubImage& image = gif.Images()[frame];
  const platform::Rect own{0, 0, image.Width(), image.Height()};
  const platform::Bitmap pixels = image.Render(own, own).pixels;
  std::vector<std::uint8_t> indices;
  for (int y = 0; y < pixels.Height(); ++y) indices.insert(indices.end(), pixels.Row(y), pixels.Row(y) + pixels.Width());
  return indices;
}
auto IndicesAre(std::vector<std::uint8_t> expected) {
  return [expected](const TGIFImage& gif) {
    ASSERT_GE(gif.Images().Count(), 1);
    EXPECT_EQ(Indices(gif, 0), expected);
  };
}
const auto kSquare = IndicesAre({0, 1, 2, 3});
const std::string kUnderrun = "Decoder bit buffer under-run";

INSTANTIATE_TEST_SUITE_P(
    Rules, GifTolerated,
    testing::Values(
        ToleratedCase{"PrefixBeforeTheSignature", [] { return Join({{0, 0, 0, 0}, Screen(2, 2), Square()}); }, {}, kSquare},
        ToleratedCase{"LowerCaseSignature", [] { return Join({test::GifHeader(2, 2, {kRed}, "gif89a"), Square()}); },
                      {}, kSquare},
        ToleratedCase{"AnyVersion", [] { return Join({test::GifHeader(2, 2, {kRed}, "GIF12x"), Square()}); }, {}, kSquare},
        ToleratedCase{"HeaderAndTrailerOnly", [] { return Join({Screen(5, 3), test::kTrailer}); }, {},
                      [](const TGIFImage& gif) { EXPECT_TRUE(gif.GetEmpty() && gif.GetWidth() == 5); }},
        ToleratedCase{"GarbageInsteadOfTheTrailer", [] { return Join({Screen(2, 2), Square(), {'x', 'y'}}); },
                      {"Unknown GIF block type", "Invalid Image trailer"}, kSquare},
        // Not "!" after an extension: the image starts there, separator or not.
        ToleratedCase{"StrayByteAfterAnExtension",
                      [] { return Join({Screen(2, 2), {0x21, 0xFE, 0}, Square('X')}); },
                      {"Invalid extension introducer"}, kSquare},
        ToleratedCase{"WidthZeroTakesTheScreen", [] { return Join({Screen(3, 2), NoData(0, 9)}); },
                      {"Image exceeds Logical Screen size", kUnderrun},
                      [](const TGIFImage& gif) {
                        EXPECT_TRUE(gif.Images()[0].Width() == 3 && gif.Images()[0].Height() == 2);
                      }},
        ToleratedCase{"FileEndsInsideGraphicControl", [] { return Join({Screen(2, 2), {0x21, 0xF9, 4, 0x01}}); },
                      {kPremature},
                      [](const TGIFImage& gif) {
                        EXPECT_FALSE(gif.Images()[0].HasImage() || gif.Images()[0].Transparent());
                      }},
        ToleratedCase{"ExtensionsAfterTheLastImageMakeAnEmptyFrame",
                      [] { return Join({Screen(2, 2), Square(), {0x21, 0xFE, 1, 'x', 0}, test::kTrailer}); }, {},
                      [](const TGIFImage& gif) { EXPECT_TRUE(gif.Images().Count() == 2 && gif.Images()[1].Empty()); }},
        // Far more pixels than the data could ever fill: decoding stops where
        // the data ends, the rest keeps the fill, and the frame costs its
        // data, not its size.
        ToleratedCase{"HugeFrameOfLittleDataKeepsItsFill",
                      [] { return Join({Screen(1, 1), ClearsOnly(65535, 65535, 100), test::kTrailer}); }, {kUnderrun},
                      [](const TGIFImage& gif) {
                        EXPECT_LT(gif.LoadedBytes(), 4096u);
                        const platform::Rect place{0, 0, 64, 64};
                        const platform::Bitmap pixels = gif.Images()[0].Render(place, place).pixels;
                        for (int y = 0; y < 64; ++y)
                          EXPECT_EQ(std::count(pixels.Row(y), pixels.Row(y) + 64, 0), 64);
                      }},
        ToleratedCase{"FrameWithoutCodeSizeKeepsItsFill",
                      [] { return Join({Screen(2, 2), test::GraphicControl(3), test::ImageBlock(2, 2, {})}); }, {},
                      IndicesAre({3, 3, 3, 3})},
        // m = 2: clear 4, end 5, first free 6. A first code of 7 names no
        // entry yet and is its own value (its low byte); decoding goes on.
        ToleratedCase{"FirstCodeAboveTheEndCodeIsItsOwnValue",
                      [] { return Join({Screen(2, 2), Frame(2, 2, test::ImageData({{4, 3}, {7, 3}, {1, 3}, {5, 3}}, 2))}); },
                      {}, IndicesAre({7, 1, 0, 0})},
        ToleratedCase{"ScreenGrowsPast65535", [] { return Join({Screen(1, 1), NoData(1000, 1, 65000, 0)}); }, {kUnderrun},
                      [](const TGIFImage& gif) { EXPECT_EQ(gif.GetWidth(), 66000); }},
        ToleratedCase{"CodeSizeAbove8IsRead8",
                      [] { return Join({Screen(2, 2), Frame(2, 2, test::ImageData(test::LiteralCodes({0, 1, 2, 3}, 8), 12))}); },
                      {}, kSquare},
        // m = 2: 7, ahead of the next free code 6, repeats the previous
        // string with its first value; 6 and 7 are real entries after it.
        ToleratedCase{"CodeAheadOfTheTableRepeatsThePreviousString",
                      [] {
                        const test::Codes codes = {{4, 3}, {1, 3}, {7, 3}, {6, 3}, {7, 4}, {5, 4}};
                        return Join({Screen(1, 8), Frame(1, 8, test::ImageData(codes, 2))});
                      },
                      {}, IndicesAre(std::vector<std::uint8_t>(8, 1))},
        ToleratedCase{"DataCutShortKeepsTheTransparentFill",
                      [] {
                        return Join({Screen(2, 2), test::GraphicControl(2), Frame(2, 2, test::ImageData({{4, 3}, {1, 3}}, 2))});
                      },
                      {}, IndicesAre({1, 2, 2, 2})},
        ToleratedCase{"DataBlockLongerThanTheFile",
                      [] {
                        const Bytes codes = test::PackCodes(test::LiteralCodes({1, 2, 3, 0}, 2, false));
                        return Join({Screen(2, 2), Frame(2, 2, Join({{2, 50}, codes}))});
                      },
                      {kPremature}, IndicesAre({1, 2, 3, 0})},
        // m = 3: clear and one value fill the one byte; the second pixel finds nothing.
        ToleratedCase{"DataEndsExactlyAtACode",
                      [] { return Join({Screen(1, 2), Frame(1, 2, test::ImageData({{8, 4}, {1, 4}}, 3))}); },
                      {kUnderrun}, IndicesAre({1, 0})},
        // Codes past the last pixel and no end code: the next frame still
        // starts behind the data's size-0 sub-block.
        ToleratedCase{"DataPastTheLastPixelIsPassedOver",
                      [] {
                        std::vector<std::uint8_t> values(40, 3);
                        const Bytes data = test::ImageData(test::LiteralCodes(values, 2, false), 2);
                        return Join({Screen(2, 2), Frame(1, 1, data), Square()});
                      },
                      {}, [](const TGIFImage& gif) { EXPECT_EQ(Indices(gif, 1), (std::vector<std::uint8_t>{0, 1, 2, 3})); }},
        // Block size 10: the identifier is those 10 bytes; above 11 the rest is skipped.
        ToleratedCase{"ApplicationBlocksOfTenAndThirteen",
                      [] {
                        const std::string ten = "TENBYTESID", thirteen = "NETSCAPE2.0xy";
                        return Join({Screen(2, 2), {0x21, 0xFF, 10}, Bytes(ten.begin(), ten.end()), {1, 'z', 0},
                                     {0x21, 0xFF, 13}, Bytes(thirteen.begin(), thirteen.end()), {0}, Square()});
                      },
                      {},
                      [](const TGIFImage& gif) {
                        const TGIFExtensionList& list = gif.Images()[0].Extensions();
                        ASSERT_EQ(list.size(), 2u);
                        EXPECT_EQ(dynamic_cast<const TGIFUnknownAppExtension&>(*list[0]).Blocks().at(0).data, Bytes{'z'});
                        EXPECT_EQ(dynamic_cast<const TGIFUnknownAppExtension&>(*list[1]).Identifier(), "NETSCAPE2.0");
                      }}),
    CaseName<ToleratedCase>);

// Loads and draws `file`; false when a GIFException ended it. Any other
// failure escapes and fails the test.
bool LoadsOrRaisesGifError(const Bytes& file) {
  TGIFImage gif;
  try {
    gif.LoadFromBytes(file);
    platform::Canvas canvas(17, 13);
    for (int i = 0; i < gif.Images().Count(); ++i) gif.Images()[i].Draw(canvas, canvas.ClientRect(), false, true);
  } catch (const GIFException&) {
    return false;
  }
  return true;
}

// Full tables and clears, 256-entry local tables, interlaced and
// transparent frames with every disposal, text and loop extensions.
TEST(GifDamage, EveryCutAndRandomChangesLoadOrRaiseAGifError) {
  std::mt19937 random(20261214);
  for (const char* name : {"gif-ancell-suite/4095-codes-clear.gif", "gif-ancell-suite/high-color.gif",
                           "gif-ancell-suite/plain-text.gif", "gif-ancell-suite/loop-buffer.gif",
                           "gif-peterdn-suite/gifs/animated_loop_interlaced.gif",
                           "gif-peterdn-suite/gifs/animated_transparent_frame_restoreprev_loop.gif"}) {
    const Bytes file = test::ReadBytes(std::filesystem::path(PLENDO_TESTDATA) / name);
    ASSERT_TRUE(LoadsOrRaisesGifError(file)) << name;
    for (std::size_t size = 0; size < file.size(); ++size) LoadsOrRaisesGifError(Cut(file, size));
    for (int round = 0; round < 400; ++round) {
      Bytes damaged = file;
      for (int i = 0, n = 1 + static_cast<int>(random() % 4); i < n; ++i)
        damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
      LoadsOrRaisesGifError(damaged);
    }
  }
}

// 2 x 1 on a 2 x 1 canvas of grey: frame 0 red and transparent (index 3),
// frame 1 blue twice.
struct StillCase {
  const char* name;
  TGIFDrawOptions options;
  int force_frame;
  Rgba left, right;
};

class GifStill : public testing::TestWithParam<StillCase> {};

TEST_P(GifStill, DrawsTheFrameTheOptionsChoose) {
  TGIFImage gif;
  gif.LoadFromBytes(Join({Screen(2, 1), test::GraphicControl(3), test::Image(2, 1, {0, 3}), test::Image(2, 1, {2, 2})}));
  gif.SetDrawOptions(GetParam().options);
  gif.SetForceFrame(GetParam().force_frame);
  platform::Canvas canvas(2, 1);
  canvas.Fill(canvas.ClientRect(), kGrey);
  gif.Draw(canvas, canvas.ClientRect());
  EXPECT_EQ(canvas.PixelAt(0, 0), GetParam().left);
  EXPECT_EQ(canvas.PixelAt(1, 0), GetParam().right);
}

constexpr TGIFDrawOptions kStill = gif_draw::kDefault & ~gif_draw::AnimateFrames;
INSTANTIATE_TEST_SUITE_P(
    Options, GifStill,
    testing::Values(StillCase{"AnimatedShowsItsFirstFrame", gif_draw::kDefault, -1, kRed, kGrey},
                    StillCase{"ForcedFrameOnlyWhenStill", gif_draw::kDefault, 1, kRed, kGrey},
                    StillCase{"ForcedFrame", kStill, 1, kBlue, kBlue},
                    StillCase{"ForcedFramePastTheEnd", kStill, 2, kRed, kGrey},
                    StillCase{"TransparencyNotHonoured", gif_draw::kDefault & ~gif_draw::HonourTransparency, -1, kRed,
                              kWhite}),
    CaseName<StillCase>);

// A 4 x 2 screen with a 2 x 2 frame on its right half: the panel places the
// screen 173 x 86 at (0, 39), and the frame from column 86.5, rounded, on.
TEST(GifDraw, ThePanelPlacesTheFrameOnItsScreen) {
  TPicture picture;
  auto gif = std::make_unique<TGIFImage>();
  gif->LoadFromBytes(Join({Screen(4, 2), test::GraphicControl(3), test::Image(2, 2, {0, 3, 1, 2}, {.left = 2})}));
  picture.SetGraphic(std::move(gif));
  platform::Canvas canvas(173, 164);
  PaintImage(picture, canvas);
  EXPECT_EQ(canvas.PixelAt(86, 60), kMonitorBackground);  // the screen the frame leaves free
  EXPECT_EQ(canvas.PixelAt(87, 60), kRed);
  EXPECT_EQ(canvas.PixelAt(150, 60), kMonitorBackground);  // transparent
  EXPECT_EQ(canvas.PixelAt(100, 100), kGreen);
  EXPECT_EQ(canvas.PixelAt(172, 124), kBlue);
  EXPECT_EQ(canvas.PixelAt(172, 125), kMonitorBackground);
}

// A frame is decoded straight into the size it is drawn at: that gives the
// pixels a stretch of the whole frame gives, for every size up and down,
// cut by the canvas, rows interlaced and transparent pixels left alone.
TEST(GifDraw, RenderingAtASizeIsStretchingTheWholeFrame) {
  std::vector<std::uint8_t> indices(7 * 5);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>(i * 5 % 4);
  Bytes image = test::Image(7, 5, indices);
  image[9] |= kGifInterlacedFlag;
  TGIFImage gif;
  gif.LoadFromBytes(Join({Screen(7, 5), test::GraphicControl(3), image}));
  const TGIFSubImage& frame = gif.Images()[0];
  const platform::Rect own{0, 0, 7, 5};
  const GifFrameRaster whole = frame.Render(own, own);
  ASSERT_TRUE(whole.mask);
  for (int w = 1; w <= 16; ++w)
    for (int h = 1; h <= 12; ++h) {
      const platform::Rect place{-2, 1, w - 2, h + 1};
      platform::Canvas expected(12, 9), got(12, 9);
      expected.Fill(expected.ClientRect(), kGrey);
      got.Fill(got.ClientRect(), kGrey);
      expected.StretchDrawMasked(place, whole.pixels, *whole.mask);
      frame.Render(place, got.ClientRect()).Draw(got, true);
      for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) ASSERT_EQ(got.PixelAt(x, y), expected.PixelAt(x, y)) << w << "x" << h;
    }
}

// A 2 x 2 frame at 9000, 9000 grows a 10 x 10 screen to 9002 x 9002; drawn
// at that size, moved so the frame falls on a 10 x 10 canvas, it lands at 5, 5.
TEST(GifDraw, AFrameFarOutsideItsScreenLandsWhereTheScreenPutsIt) {
  TGIFImage gif;
  gif.LoadFromBytes(Join({Screen(10, 10), test::Image(2, 2, {0, 1, 2, 3}, {.left = 9000, .top = 9000})}));
  ASSERT_EQ(gif.GetWidth(), 9002);
  platform::Canvas canvas(10, 10);
  canvas.Fill(canvas.ClientRect(), kGrey);
  gif.Draw(canvas, {-8995, -8995, 7, 7});
  EXPECT_EQ(canvas.PixelAt(4, 4), kGrey);
  EXPECT_EQ(canvas.PixelAt(5, 5), kRed);
  EXPECT_EQ(canvas.PixelAt(6, 5), kGreen);
  EXPECT_EQ(canvas.PixelAt(5, 6), kBlue);
  EXPECT_EQ(canvas.PixelAt(6, 6), kWhite);
  EXPECT_EQ(canvas.PixelAt(7, 7), kGrey);
}

TEST(GifDraw, FramesWithoutATableUseTheFirstFramesTable) {
  TGIFImage gif;
  const Bytes no_global = test::GifHeader(1, 1, {});
  gif.LoadFromBytes(Join({no_global, test::Image(1, 1, {1}, {.local = {kRed, kBlue}}), test::Image(1, 1, {0})}));
  const platform::Rect pixel{0, 0, 1, 1};
  EXPECT_EQ(gif.Images()[1].Render(pixel, pixel).pixels.PixelAt(0, 0), kRed);

  gif.LoadFromBytes(Join({no_global, test::Image(1, 1, {0})}));
  platform::Canvas canvas(1, 1);
  try {
    gif.Draw(canvas, canvas.ClientRect());
    FAIL();
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "No global or local color table defined");
  }
}

TEST(GifPicture, LoadsByExtensionAndAFailedLoadRestoresTheStream) {
  test::TempDir dir;
  test::WriteBytes(dir / "anim.GIF", Join({Screen(2, 2), Square()}));
  TPicture picture;
  picture.LoadFromFile(dir / "anim.GIF");
  ASSERT_NE(dynamic_cast<TGIFImage*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 2);

  const Bytes bad = Join({{'x', 'x'}, Cut(Screen(2, 2), 20)});
  std::istringstream stream(std::string(bad.begin(), bad.end()));
  stream.seekg(2);
  TGIFImage gif;
  EXPECT_THROW(gif.LoadFromStream(stream), GIFException);
  EXPECT_EQ(stream.tellg(), 2);
}

}  // namespace
}  // namespace plendo::preview
