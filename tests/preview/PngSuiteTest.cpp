// The PNG preview decoder against PngSuite (tests/data/pngsuite), and
// against damage: every cut of a file and random changed bytes must end in a
// PNG error, never a crash or another kind of failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "preview/PngErrors.h"
#include "preview/PngImage.h"
#include "support/TestFiles.h"
#include "support/TestImages.h"

namespace plendo::preview {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

const fs::path kSuite = fs::path(PLENDO_TESTDATA) / "pngsuite";

std::vector<int> ReadNumbers(const fs::path& path) {
  std::string text = test::ReadText(path);
  for (char& c : text)
    if (c < '0' || c > '9') c = ' ';
  std::istringstream values(text);
  std::vector<int> numbers;
  for (int v; values >> v;) numbers.push_back(v);
  return numbers;
}

// What we show for a pixel the suite gives as RGBA (8 or 16 bits a sample).
// The suite's values carry no gamma, while we pass colours through the gAMA
// table: truecolour samples and palette entries one to one, greys through
// the ramp (the same table). Grey with alpha is blended as stored, without
// gamma. 16-bit samples are shown by their high byte. Where alpha is 0 the
// colour is not shown at all, so it is not compared.
struct Expected {
  int r, g, b, a;
};
Expected Shown(const int* rgba, bool wide, int colour_type, const PngGamma& gamma) {
  auto to8 = [wide](int v) { return wide ? v >> 8 : v; };
  const bool corrected = colour_type != 4;
  auto c = [&](int v) { return corrected ? gamma[to8(v)] : to8(v); };
  return {c(rgba[0]), c(rgba[1]), c(rgba[2]), to8(rgba[3])};
}

TEST(PngSuite, GoodFilesShowTheSuitePixels) {
  if (!fs::is_directory(kSuite / "png")) FAIL() << "no PngSuite at " << kSuite;
  int compared = 0;
  for (const std::string& name : test::Listing(kSuite / "png")) {
    if (name[0] == 'x' || fs::path(name).extension() != ".png") continue;
    SCOPED_TRACE(name);
    TPNGObject png;
    ASSERT_NO_THROW(png.LoadFromBytes(test::ReadBytes(kSuite / "png" / name)));
    const fs::path json = kSuite / "json" / fs::path(name).replace_extension(".json");
    const std::vector<int> expected = ReadNumbers(json);
    ASSERT_EQ(expected.size(), 4u * png.GetWidth() * png.GetHeight());
    const bool wide = png.Header().bit_depth == 16;
    int worst = 0;
    for (int y = 0; y < png.GetHeight(); ++y)
      for (int x = 0; x < png.GetWidth(); ++x) {
        const Expected e = Shown(&expected[4 * (std::size_t(y) * png.GetWidth() + x)], wide,
                                 png.Header().colour_type, png.GammaTable());
        const platform::Rgba got = png.DisplayedPixel(x, y);
        worst = std::max(worst, std::abs(got.a - e.a));
        if (e.a == 0) continue;
        worst = std::max({worst, std::abs(got.r - e.r), std::abs(got.g - e.g), std::abs(got.b - e.b)});
      }
    EXPECT_EQ(worst, 0);
    ++compared;
  }
  EXPECT_GT(compared, 150);
}

template <class Error>
void Raises(const Bytes& file) {
  TPNGObject png;
  EXPECT_THROW(png.LoadFromBytes(file), Error);
}

// Each damaged file of the suite with the error it must raise.
const std::map<std::string, void (*)(const Bytes&)> kDamaged = {
    {"xc1n0g08", Raises<EPngInvalidIHDR>},       {"xc9n2c08", Raises<EPngInvalidIHDR>},
    {"xcrn0g04", Raises<EPNGInvalidFileHeader>}, {"xcsn0g01", Raises<EPngInvalidCRC>},
    {"xd0n2c08", Raises<EPngInvalidIHDR>},       {"xd3n2c08", Raises<EPngInvalidIHDR>},
    {"xd9n2c08", Raises<EPngInvalidIHDR>},       {"xdtn0g01", Raises<EPNGNoImageData>},
    {"xhdn0g08", Raises<EPngInvalidCRC>},        {"xlfn0g04", Raises<EPNGInvalidFileHeader>},
    {"xs1n0g01", Raises<EPNGInvalidFileHeader>}, {"xs2n0g01", Raises<EPNGInvalidFileHeader>},
    {"xs4n0g01", Raises<EPNGInvalidFileHeader>}, {"xs7n0g01", Raises<EPNGInvalidFileHeader>},
};

TEST(PngSuite, DamagedFilesRaiseTheirError) {
  if (!fs::is_directory(kSuite / "png")) FAIL() << "no PngSuite at " << kSuite;
  int checked = 0;
  for (const std::string& name : test::Listing(kSuite / "png")) {
    if (name[0] != 'x') continue;
    SCOPED_TRACE(name);
    const auto check = kDamaged.find(fs::path(name).stem().string());
    ASSERT_NE(check, kDamaged.end()) << "a damaged file without its expected error";
    check->second(test::ReadBytes(kSuite / "png" / name));
    ++checked;
  }
  EXPECT_EQ(checked, static_cast<int>(kDamaged.size()));
}

// Loads `file`; any failure other than a PNG error fails the test.
bool LoadsOrRaisesPngError(const Bytes& file) {
  TPNGObject png;
  try {
    png.LoadFromBytes(file);
    platform::Canvas canvas(17, 13);
    png.Draw(canvas, canvas.ClientRect());
  } catch (const PngFailure&) {
    return false;
  }
  return true;
}

std::vector<Bytes> Samples() {
  test::PngOptions interlaced;
  interlaced.interlaced = true;
  test::PngOptions palette;
  palette.palette = true;
  palette.bit_depth = 4;
  test::PngOptions grey16;
  grey16.grey = true;
  grey16.bit_depth = 16;
  return {test::WritePng(test::MakeGradient(21, 13, true), interlaced),
          test::WritePng(test::MakePatches(19, 11), palette),
          test::WritePng(test::MakeGradient(9, 7), grey16)};
}

TEST(PngDamage, EveryCutRaisesAPngError) {
  for (const Bytes& file : Samples()) {
    ASSERT_TRUE(LoadsOrRaisesPngError(file));
    for (std::size_t size = 0; size < file.size(); ++size)
      EXPECT_FALSE(LoadsOrRaisesPngError(Bytes(file.begin(), file.begin() + size))) << size;
  }
}

// The CRCs catch almost every change, so the damage is also applied with the
// CRCs put right again: then it reaches the header, palette and image code.
void FixCrcs(Bytes& file) {
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const std::size_t length = ReadBigEndian32(file.data() + at);
    if (length > file.size() - at - 12) return;
    const std::uint32_t crc = ChunkCrc(PngBytes(file).subspan(at + 4, 4), PngBytes(file).subspan(at + 8, length));
    for (int i = 0; i < 4; ++i) file[at + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    at += 12 + length;
  }
}

TEST(PngDamage, RandomChangesRaiseAPngErrorOrLoad) {
  std::mt19937 random(20261208);
  for (const Bytes& file : Samples())
    for (int round = 0; round < 400; ++round) {
      Bytes damaged = file;
      const int changes = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < changes; ++i) damaged[8 + random() % (damaged.size() - 8)] = static_cast<std::uint8_t>(random());
      if (round % 2) FixCrcs(damaged);
      LoadsOrRaisesPngError(damaged);
    }
}

}  // namespace
}  // namespace plendo::preview
