// The PNG preview decoder on files built chunk by chunk: the container rules,
// every named error, the limits, gamma, and where the image data may end.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "preview/PngErrors.h"
#include "preview/PngFilter.h"
#include "preview/PngImage.h"
#include "preview/PngBuilder.h"

namespace plendo::preview {
namespace {

using test::Bytes;
using test::PngChunkBytes;

// A 2 x 2 8-bit grey image: rows 10 20 / 30 40, filter 0.
const Bytes kGreyRows = {0, 10, 20, 0, 30, 40};
Bytes Ihdr(std::uint32_t w = 2, std::uint32_t h = 2, int depth = 8, int type = 0, int interlace = 0) {
  return PngChunkBytes("IHDR", test::IhdrData(w, h, depth, type, interlace));
}
Bytes Idat(const Bytes& rows = kGreyRows) { return PngChunkBytes("IDAT", test::Deflate(rows)); }
Bytes Iend() { return PngChunkBytes("IEND", {}); }

std::unique_ptr<TPNGObject> Load(const Bytes& file) {
  auto png = std::make_unique<TPNGObject>();
  png->LoadFromBytes(file);
  return png;
}

template <class Error>
std::function<void(const Bytes&)> Raises() {
  return [](const Bytes& file) { EXPECT_THROW(Load(file), Error); };
}

struct BadFile {
  const char* name;
  std::function<Bytes()> file;
  std::function<void(const Bytes&)> check;
};

class PngBadFile : public testing::TestWithParam<BadFile> {};

TEST_P(PngBadFile, RaisesItsOwnError) { GetParam().check(GetParam().file()); }

Bytes Without(Bytes file, std::size_t from_end) {
  file.resize(file.size() - from_end);
  return file;
}

INSTANTIATE_TEST_SUITE_P(
    Container, PngBadFile,
    testing::Values(
        BadFile{"Signature", [] { Bytes f = test::PngFile({Ihdr(), Idat(), Iend()}); f[1] = 'p'; return f; },
                Raises<EPNGInvalidFileHeader>()},
        BadFile{"Empty", [] { return Bytes{}; }, Raises<EPNGInvalidFileHeader>()},
        BadFile{"NoChunks", [] { return test::PngFile({}); }, Raises<EPngUnexpectedEnd>()},
        BadFile{"NoIend", [] { return test::PngFile({Ihdr(), Idat()}); }, Raises<EPngUnexpectedEnd>()},
        BadFile{"CutInsideIend", [] { return Without(test::PngFile({Ihdr(), Idat(), Iend()}), 2); },
                Raises<EPngUnexpectedEnd>()},
        BadFile{"HugeLength", [] { Bytes f = test::PngFile({Ihdr(), Idat(), Iend()}); f[33] = 0xFF; return f; },
                Raises<EPngUnexpectedEnd>()},
        BadFile{"IhdrNotFirst", [] { return test::PngFile({PngChunkBytes("tEXt", {'a', 0}), Ihdr(), Idat(), Iend()}); },
                Raises<EPNGIHDRNotFirst>()},
        BadFile{"UnknownCritical", [] { return test::PngFile({Ihdr(), PngChunkBytes("ABCD", {}), Idat(), Iend()}); },
                Raises<EPNGUnknownCriticalChunk>()},
        BadFile{"NoImageData", [] { return test::PngFile({Ihdr(), Iend()}); }, Raises<EPNGNoImageData>()},
        BadFile{"IhdrShort", [] { return test::PngFile({PngChunkBytes("IHDR", Bytes(12, 1)), Idat(), Iend()}); },
                Raises<EPngInvalidIHDR>()},
        BadFile{"Width65536", [] { return test::PngFile({Ihdr(65536, 1), Idat(), Iend()}); }, Raises<EPNGSizeExceeds>()},
        BadFile{"TooManyPixels", [] { return test::PngFile({Ihdr(40000, 40000), Idat(), Iend()}); },
                Raises<EPNGTooManyPixels>()},
        BadFile{"ZeroHeight", [] { return test::PngFile({Ihdr(2, 0), Idat(), Iend()}); }, Raises<EPngInvalidIHDR>()},
        BadFile{"Depth16Palette", [] { return test::PngFile({Ihdr(2, 2, 16, 3), Idat(), Iend()}); },
                Raises<EPngInvalidIHDR>()},
        BadFile{"Compression", [] { return test::PngFile({PngChunkBytes("IHDR", test::IhdrData(2, 2, 8, 0, 0, 1)), Idat(), Iend()}); },
                Raises<EPNGUnknownCompression>()},
        BadFile{"Interlace", [] { return test::PngFile({Ihdr(2, 2, 8, 0, 2), Idat(), Iend()}); },
                Raises<EPNGUnknownInterlace>()},
        BadFile{"FilterMethod", [] { return test::PngFile({PngChunkBytes("IHDR", test::IhdrData(2, 2, 8, 0, 0, 0, 1)), Idat(), Iend()}); },
                Raises<EPngInvalidIHDR>()},
        BadFile{"PaletteNotTriples", [] { return test::PngFile({Ihdr(2, 2, 8, 3), PngChunkBytes("PLTE", Bytes(4)), Idat(), Iend()}); },
                Raises<EPNGInvalidPalette>()},
        BadFile{"Palette257", [] { return test::PngFile({Ihdr(2, 2, 8, 3), PngChunkBytes("PLTE", Bytes(771)), Idat(), Iend()}); },
                Raises<EPNGInvalidPalette>()},
        BadFile{"Trns257", [] { return test::PngFile({Ihdr(2, 2, 8, 3), PngChunkBytes("PLTE", Bytes(3)), PngChunkBytes("tRNS", Bytes(257)), Idat(), Iend()}); },
                Raises<EPNGInvalidPalette>()},
        BadFile{"PaletteImageWithoutPalette", [] { return test::PngFile({Ihdr(2, 2, 8, 3), Idat(), Iend()}); },
                Raises<EPNGInvalidPalette>()},
        BadFile{"DataRunsIntoAnotherChunk",
                [] {
                  const Bytes z = test::Deflate(kGreyRows);
                  return test::PngFile({Ihdr(), PngChunkBytes("IDAT", Bytes(z.begin(), z.begin() + 4)), PngChunkBytes("tEXt", {'a', 0}), Iend()});
                },
                Raises<EPNGMissingMultipleIDAT>()},
        BadFile{"NotZlib", [] { return test::PngFile({Ihdr(), PngChunkBytes("IDAT", Bytes(20, 0xEE)), Iend()}); },
                [](const Bytes& f) {
                  try {
                    Load(f);
                    FAIL() << "loaded";
                  } catch (const EPNGZLIBError& e) {
                    EXPECT_EQ(e.Message(), "Could not decompress the image because it contains invalid compressed data.\r\n"
                                           " Description: data error (-3)");
                  }
                }},
        BadFile{"IdatCrc", [] { Bytes f = test::PngFile({Ihdr(), Idat(), Iend()}); f[f.size() - 13] ^= 1; return f; },
                Raises<EPngInvalidCRC>()}),
    [](const testing::TestParamInfo<BadFile>& info) { return info.param.name; });

TEST(PngImage, FlippedBitInAnyChunkButChrmIsACrcError) {
  const Bytes chrm = PngChunkBytes("cHRM", Bytes(32, 7));
  const Bytes file = test::PngFile({Ihdr(), chrm, PngChunkBytes("tEXt", {'k', 0, 'v'}), Idat(), Iend()});
  // Data and CRC of each chunk; a changed length or name is another error.
  std::vector<std::pair<std::size_t, std::size_t>> payloads;
  for (std::size_t at = 8; at < file.size(); at += 12 + ReadBigEndian32(file.data() + at))
    payloads.emplace_back(at + 8, at + 12 + ReadBigEndian32(file.data() + at));
  const auto chrm_payload = payloads[1];
  for (const auto& [from, to] : payloads)
    for (std::size_t i = from; i < to; ++i) {
      Bytes damaged = file;
      damaged[i] ^= 0x10;
      if (from == chrm_payload.first)
        EXPECT_NO_THROW(Load(damaged)) << i;
      else
        EXPECT_THROW(Load(damaged), EPngInvalidCRC) << i;
    }
}

TEST(PngImage, DataOverManyIdatChunksThenASecondRunIsSkipped) {
  Bytes rows;
  for (int y = 0; y < 16; ++y) {
    rows.push_back(0);
    for (int x = 0; x < 16; ++x) rows.push_back(static_cast<std::uint8_t>(16 * y + x));
  }
  const Bytes z = test::Deflate(rows);
  std::vector<Bytes> chunks{Ihdr(16, 16)};
  for (std::size_t i = 0; i < z.size(); i += 5)
    chunks.push_back(PngChunkBytes("IDAT", Bytes(z.begin() + i, z.begin() + std::min(z.size(), i + 5))));
  chunks.push_back(PngChunkBytes("IDAT", {}));
  chunks.push_back(PngChunkBytes("sRGB", {0}));
  Bytes second_run = PngChunkBytes("IDAT", {1, 2, 3});
  second_run[second_run.size() - 1] ^= 0xFF;  // never read, so never checked
  chunks.push_back(second_run);
  chunks.push_back(Iend());
  const auto png = Load(test::PngFile(chunks));
  EXPECT_EQ(png->DisplayedPixel(5, 7).r, 16 * 7 + 5);
  EXPECT_EQ(png->DisplayedPixel(15, 15).g, 255);
  EXPECT_EQ(png->Chunks()[png->Chunks().size() - 2].name, "sRGB");
}

TEST(PngImage, SideOf65535Loads) {
  Bytes row(65536, 0);
  const auto png = Load(test::SimplePng(65535, 1, 8, 0, row));
  EXPECT_EQ(png->GetWidth(), 65535);
  EXPECT_FALSE(png->GetEmpty());
}

TEST(PngImage, UnknownFilterTypeLeavesTheRow) {
  const auto png = Load(test::SimplePng(2, 2, 8, 0, {7, 10, 20, 1, 30, 40}));
  EXPECT_EQ(png->DisplayedPixel(1, 0).r, 20);
  EXPECT_EQ(png->DisplayedPixel(1, 1).r, 70);  // Sub on the second row
}

TEST(PngImage, CompressedDataEndingEarlyKeepsTheRowsDecoded) {
  const auto png = Load(test::SimplePng(2, 3, 8, 0, {0, 10, 20}));
  EXPECT_EQ(png->DisplayedPixel(1, 0).r, 20);
  EXPECT_EQ(png->DisplayedPixel(1, 2).r, 0);
}

TEST(PngFilter, PaethPicksTheNearestNeighbour) {
  EXPECT_EQ(PaethPredictor(10, 20, 10), 20);
  EXPECT_EQ(PaethPredictor(20, 10, 10), 20);
  EXPECT_EQ(PaethPredictor(10, 10, 20), 10);
  EXPECT_EQ(PaethPredictor(50, 60, 100), 50);
}

Bytes GammaChunk(std::uint32_t value) {
  Bytes d;
  test::Put32(d, value);
  return PngChunkBytes("gAMA", d);
}

// Truecolour 256 x 1, pixel i is grey i.
Bytes GreyStepsRgb(const std::vector<Bytes>& before_idat) {
  Bytes rows{0};
  for (int i = 0; i < 256; ++i) rows.insert(rows.end(), 3, static_cast<std::uint8_t>(i));
  return test::SimplePng(256, 1, 8, 2, rows, before_idat);
}

TEST(PngImage, GammaOfOneOverTwoPointTwoChangesNothing) {
  const auto plain = Load(GreyStepsRgb({}));
  const auto neutral = Load(GreyStepsRgb({GammaChunk(45455)}));
  const auto odd_length = Load(GreyStepsRgb({PngChunkBytes("gAMA", {1, 0})}));
  for (int x = 0; x < 256; ++x) {
    EXPECT_EQ(plain->DisplayedPixel(x, 0).g, x);
    EXPECT_EQ(neutral->DisplayedPixel(x, 0), plain->DisplayedPixel(x, 0)) << x;
    EXPECT_EQ(odd_length->DisplayedPixel(x, 0), plain->DisplayedPixel(x, 0)) << x;
  }
}

TEST(PngImage, GammaOfOneBrightensMidTones) {
  const auto png = Load(GreyStepsRgb({GammaChunk(100000)}));
  EXPECT_EQ(png->DisplayedPixel(128, 0).r, 186);
  EXPECT_EQ(png->DisplayedPixel(64, 0).b, 136);
  EXPECT_EQ(png->DisplayedPixel(1, 0).g, 21);
  EXPECT_EQ(png->DisplayedPixel(0, 0).g, 0);
  EXPECT_EQ(png->DisplayedPixel(255, 0).g, 255);
}

TEST(PngImage, GammaAfterThePaletteLeavesThePalette) {
  const Bytes plte = PngChunkBytes("PLTE", {128, 128, 128});
  const Bytes rows{0, 0};
  const auto before = Load(test::SimplePng(1, 1, 8, 3, rows, {GammaChunk(100000), plte}));
  const auto after = Load(test::SimplePng(1, 1, 8, 3, rows, {plte, GammaChunk(100000)}));
  EXPECT_EQ(before->DisplayedPixel(0, 0).r, 186);
  EXPECT_EQ(after->DisplayedPixel(0, 0).r, 128);
}

TEST(PngImage, TextChunksAreReadAndKept) {
  Bytes ztxt{'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};
  const std::string words = "written by hand";
  const Bytes z = test::Deflate(Bytes(words.begin(), words.end()));
  ztxt.insert(ztxt.end(), z.begin(), z.end());
  Bytes broken{'K', 0, 0, 0xEE, 0xEE};
  const auto png = Load(test::SimplePng(
      2, 2, 8, 0, kGreyRows,
      {PngChunkBytes("tEXt", {'T', 'i', 't', 'l', 'e', 0, 'x'}), PngChunkBytes("zTXt", ztxt),
       PngChunkBytes("zTXt", broken), PngChunkBytes("tIME", {0x07, 0xEA, 12, 8, 17, 0, 1})}));
  ASSERT_EQ(png->Texts().size(), 3u);
  EXPECT_EQ(png->Texts()[0].keyword, "Title");
  EXPECT_EQ(png->Texts()[0].text, "x");
  EXPECT_EQ(png->Texts()[1].text, words);
  EXPECT_EQ(png->Texts()[2].text, "");
  ASSERT_TRUE(png->Time().has_value());
  EXPECT_EQ(png->Time()->year, 2026);
}

TEST(PngImage, CompressedTextsShareOneSmallInflateBudget) {
  const auto zTXt = [](const Bytes& raw) {
    Bytes data{'K', 0, 0};
    const Bytes z = test::Deflate(raw);
    data.insert(data.end(), z.begin(), z.end());
    return PngChunkBytes("zTXt", data);
  };
  std::vector<Bytes> chunks(6, zTXt(Bytes(std::size_t{2} << 20, 'a')));  // each over a text's limit
  const std::string words = "kept while the budget lasts";
  chunks.push_back(zTXt(Bytes(words.begin(), words.end())));
  const auto png = Load(test::SimplePng(2, 2, 8, 0, kGreyRows, chunks));
  for (const PngText& text : png->Texts()) EXPECT_EQ(text.text, "");
}

TEST(PngImage, HeaderIsNeededBeforeAnyLoad) {
  TPNGObject png;
  EXPECT_TRUE(png.GetEmpty());
  EXPECT_EQ(png.GetWidth(), 0);
  EXPECT_THROW(png.Header(), EPNGHeaderNotPresent);
}

}  // namespace
}  // namespace plendo::preview
