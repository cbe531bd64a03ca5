// The decoders against suites written by others (tests/data): every
// PngSuite file against its expected RGBA, every good bmpsuite file against
// its reference picture, the questionable and bad ones without a crash.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/ImageDecoder.h"
#include "platform/FileBytes.h"

namespace plendo::imaging {
namespace {

namespace fs = std::filesystem;
using platform::Bitmap;
using platform::Rgba;

const fs::path kTestData = PLENDO_TESTDATA;

std::vector<fs::path> FilesIn(const fs::path& dir, const std::string& extension) {
  std::vector<fs::path> files;
  if (!fs::is_directory(dir)) return files;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.path().extension() == extension) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// The suite's JSON is one flat array of numbers: r, g, b, a per pixel.
std::vector<int> ReadNumbers(const fs::path& path) {
  std::ifstream in(path);
  std::vector<int> numbers;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (char& c : text)
    if (c < '0' || c > '9') c = ' ';
  std::istringstream values(text);
  for (int v; values >> v;) numbers.push_back(v);
  return numbers;
}

bool Decodes(const fs::path& path, Bitmap* out = nullptr) {
  try {
    Bitmap b = DecodeImageFile(path);
    if (out) *out = std::move(b);
    return true;
  } catch (...) {
    return false;
  }
}

TEST(PngSuiteTest, EveryFileDecodesAsExpected) {
  const fs::path suite = kTestData / "pngsuite";
  const auto files = FilesIn(suite / "png", ".png");
  if (files.empty()) FAIL() << "no PngSuite at " << suite;
  for (const fs::path& file : files) {
    const std::string name = file.stem().string();
    SCOPED_TRACE(name);
    Bitmap decoded;
    const bool ok = Decodes(file, &decoded);
    if (name[0] == 'x') {
      EXPECT_FALSE(ok) << "a damaged file decoded";
      continue;
    }
    ASSERT_TRUE(ok);
    fs::path expected_path = suite / "json" / (name + "_to8.json");
    const bool reduced = fs::exists(expected_path);
    if (!reduced) expected_path = suite / "json" / (name + ".json");
    std::vector<int> expected = ReadNumbers(expected_path);
    ASSERT_EQ(expected.size(), 4u * decoded.Width() * decoded.Height());
    // Sixteen-bit files without a reduced copy hold 16-bit values.
    const bool wide = !reduced && *std::max_element(expected.begin(), expected.end()) > 255;
    int worst = 0;
    for (int y = 0; y < decoded.Height(); ++y)
      for (int x = 0; x < decoded.Width(); ++x) {
        const Rgba c = decoded.PixelAt(x, y);
        const int* e = &expected[4 * (static_cast<std::size_t>(y) * decoded.Width() + x)];
        auto to8 = [wide](int v) { return wide ? (v * 255 + 32767) / 65535 : v; };
        worst = std::max(worst, std::abs(c.a - to8(e[3])));
        if (to8(e[3]) == 0) continue;  // the colour of a clear pixel is not defined
        worst = std::max({worst, std::abs(c.r - to8(e[0])), std::abs(c.g - to8(e[1])), std::abs(c.b - to8(e[2]))});
      }
    EXPECT_LE(worst, 1);
  }
}

// Good files whose reference picture is another file's (the same picture
// stored differently).
const std::map<std::string, std::string> kBmpReference = {
    {"pal1wb", "pal1"},      {"pal4rle", "pal4"},    {"pal8-0", "pal8"},         {"pal8os2", "pal8"},
    {"pal8rle", "pal8"},     {"pal8topdown", "pal8"}, {"pal8v4", "pal8"},        {"pal8v5", "pal8"},
    {"rgb16-565pal", "rgb16-565"}, {"rgb16bfdef", "rgb16"}, {"rgb24pal", "rgb24"}, {"rgb32", "rgb24"},
    {"rgb32bf", "rgb24"},    {"rgb32bfdef", "rgb24"},
};

// Largest difference of premultiplied colour and of alpha: the colour of a
// clear pixel does not count.
int PremultipliedDifference(const Bitmap& a, const Bitmap& b) {
  int worst = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const Rgba p = a.PixelAt(x, y), q = b.PixelAt(x, y);
      auto pre = [](int c, int alpha) { return c * alpha / 255; };
      worst = std::max({worst, std::abs(pre(p.r, p.a) - pre(q.r, q.a)), std::abs(pre(p.g, p.a) - pre(q.g, q.a)),
                        std::abs(pre(p.b, p.a) - pre(q.b, q.a)), std::abs(p.a - q.a)});
    }
  return worst;
}

TEST(BmpSuiteTest, QuestionableFilesWeDecodeMatchTheirReference) {
  const fs::path suite = kTestData / "bmpsuite";
  const auto files = FilesIn(suite / "q", ".bmp");
  if (files.empty()) FAIL() << "no bmpsuite at " << suite;
  int compared = 0;
  for (const fs::path& file : files) {
    const std::string name = file.stem().string();
    const fs::path reference = suite / "html" / (name + ".png");
    // Its reference shows the unused bits as alpha; we ignore them, as the
    // suite's notes suggest.
    if (name == "rgb16faketrns" || !fs::exists(reference)) continue;
    SCOPED_TRACE(name);
    Bitmap decoded, expected;
    if (!Decodes(file, &decoded)) continue;
    ASSERT_TRUE(Decodes(reference, &expected));
    ASSERT_EQ(decoded.Width(), expected.Width());
    ASSERT_EQ(decoded.Height(), expected.Height());
    EXPECT_LE(PremultipliedDifference(decoded, expected), 1);
    ++compared;
  }
  EXPECT_GE(compared, 10);
}

TEST(BmpSuiteTest, GoodFilesMatchTheirReference) {
  const fs::path suite = kTestData / "bmpsuite";
  const auto files = FilesIn(suite / "g", ".bmp");
  if (files.empty()) FAIL() << "no bmpsuite at " << suite;
  int compared = 0;
  for (const fs::path& file : files) {
    const std::string name = file.stem().string();
    SCOPED_TRACE(name);
    Bitmap decoded;
    ASSERT_TRUE(Decodes(file, &decoded));
    const auto mapped = kBmpReference.find(name);
    const fs::path reference = suite / "html" / ((mapped != kBmpReference.end() ? mapped->second : name) + ".png");
    Bitmap expected;
    if (!fs::exists(reference)) continue;
    ASSERT_TRUE(Decodes(reference, &expected));
    ASSERT_EQ(decoded.Width(), expected.Width());
    ASSERT_EQ(decoded.Height(), expected.Height());
    int worst = 0;
    for (int y = 0; y < decoded.Height(); ++y)
      for (int x = 0; x < decoded.Width(); ++x) {
        const Rgba a = decoded.PixelAt(x, y), b = expected.PixelAt(x, y);
        worst = std::max({worst, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b), std::abs(a.a - b.a)});
      }
    EXPECT_LE(worst, 1);
    ++compared;
  }
  EXPECT_GE(compared, 20);
}

TEST(BmpSuiteTest, QuestionableAndBadFilesNeverCrash) {
  const fs::path suite = kTestData / "bmpsuite";
  if (!fs::is_directory(suite)) FAIL() << "no bmpsuite at " << suite;
  int decoded = 0, refused = 0;
  for (const char* folder : {"q", "b"})
    for (const fs::path& file : FilesIn(suite / folder, ".bmp")) {
      Bitmap b;
      if (Decodes(file, &b)) {
        EXPECT_FALSE(b.Empty()) << file;
        ++decoded;
      } else {
        ++refused;
      }
    }
  EXPECT_GT(decoded + refused, 50);
}

// `key = value` lines of one section of a suite's .conf file.
std::map<std::string, std::string> ReadSection(const fs::path& path, const std::string& section) {
  std::ifstream in(path);
  std::map<std::string, std::string> values;
  std::string line, current;
  while (std::getline(in, line)) {
    if (line.starts_with("[")) {
      current = line.substr(1, line.find(']') - 1);
      continue;
    }
    const auto eq = line.find(" = ");
    if (current == section && eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 3);
  }
  return values;
}

TEST(GifSuiteTest, FirstFrameMatchesTheExpectedPixels) {
  const fs::path suite = kTestData / "gif-ancell-suite";
  const auto confs = FilesIn(suite, ".conf");
  if (confs.empty()) FAIL() << "no GIF suite at " << suite;
  int compared = 0;
  for (const fs::path& conf : confs) {
    const auto config = ReadSection(conf, "config");
    const auto frame = ReadSection(conf, "frame0");
    if (!frame.contains("pixels") || !config.contains("input")) continue;  // no frame: must not decode
    // Images without delays that viewers play as an animation anyway: we keep
    // the file's own meaning (one frame).
    if (config.contains("force-animation") && config.at("force-animation") == "yes") continue;
    // Files with no image, or an empty first image whose colour table is cut
    // off: we refuse them rather than convert an empty picture.
    const std::string stem = conf.stem().string();
    if (stem == "no-data" || stem.starts_with("image-zero-")) continue;
    // giflib refuses this one (it reports the data ending early on the first
    // row of a table that reaches 4096 codes): width 0, not a crash.
    if (stem == "max-codes") continue;
    // The suite joins images up to the first delay into one frame; we take
    // the first image alone unless the ones after it are tiles of it (no
    // graphic control extension, no overlap), as peers do.
    if (stem == "images-overlap" || stem == "dispose-restore-previous") continue;
    SCOPED_TRACE(conf.stem().string());
    Bitmap decoded;
    if (!Decodes(suite / config.at("input"), &decoded)) {
      ADD_FAILURE() << "not decoded";
      continue;
    }
    if (decoded.Width() != std::stoi(config.at("width")) || decoded.Height() != std::stoi(config.at("height"))) {
      ADD_FAILURE() << "size " << decoded.Width() << "x" << decoded.Height();
      continue;
    }
    std::ifstream in(suite / frame.at("pixels"), std::ios::binary);
    const std::vector<char> rgba((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(rgba.size(), 4u * decoded.Width() * decoded.Height());
    int worst = 0;
    for (int y = 0; y < decoded.Height(); ++y)
      for (int x = 0; x < decoded.Width(); ++x) {
        const auto* e = reinterpret_cast<const unsigned char*>(&rgba[4 * (static_cast<std::size_t>(y) * decoded.Width() + x)]);
        const Rgba c = decoded.PixelAt(x, y);
        worst = std::max(worst, std::abs(c.a - e[3]));
        if (e[3] != 0) worst = std::max({worst, std::abs(c.r - e[0]), std::abs(c.g - e[1]), std::abs(c.b - e[2])});
      }
    EXPECT_EQ(worst, 0);
    ++compared;
  }
  EXPECT_GE(compared, 30);
}

TEST(GifSuiteTest, EveryFileDecodesOrIsRefusedWithoutACrash) {
  std::vector<fs::path> files;
  for (const char* suite : {"gif-ancell-suite", "gif-peterdn-suite"}) {
    ASSERT_TRUE(fs::is_directory(kTestData / suite)) << "no GIF suite at " << kTestData / suite;
    for (const auto& entry : fs::recursive_directory_iterator(kTestData / suite))
      if (entry.path().extension() == ".gif") files.push_back(entry.path());
  }
  if (files.empty()) FAIL() << "no GIF suites in " << kTestData;
  int decoded = 0;
  for (const fs::path& file : files) {
    Bitmap b;
    if (Decodes(file, &b)) {
      EXPECT_FALSE(b.Empty()) << file;
      ++decoded;
    }
  }
  EXPECT_GT(decoded, static_cast<int>(files.size()) / 2);
}

}  // namespace
}  // namespace plendo::imaging
