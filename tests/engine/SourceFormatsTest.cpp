#include <gtest/gtest.h>

#include "engine/EngineFixture.h"
#include "engine/JpegProbe.h"
#include "preview/Picture.h"
#include "support/TestImages.h"

namespace plendo::engine {
namespace {

namespace fs = std::filesystem;
using test::EngineTest;

struct FormatCase {
  const char* label;
  const char* name;
  test::Bytes (*write)(const platform::Bitmap&);
  bool previewable;  // false: the panel's preview is known not to read it
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.label; }

test::Bytes Jpeg(const platform::Bitmap& b) { return test::WriteJpeg(b); }
test::Bytes Png(const platform::Bitmap& b) { return test::WritePng(b); }
test::Bytes Gif(const platform::Bitmap& b) { return test::WriteGif(b); }
test::Bytes Tiff(const platform::Bitmap& b) { return test::WriteTiff(b); }
test::Bytes Bmp(const platform::Bitmap& b) { return test::WriteBmp(b); }
test::Bytes Ico(const platform::Bitmap& b) {
  const platform::Bitmap* bitmap = &b;
  return test::WriteIco({test::IcoEntry{bitmap}});
}

// The panel's preview, so a format it cannot show behaves as on the panel.
class SourceFormats : public EngineTest, public ::testing::WithParamInterface<FormatCase> {
 protected:
  SourceFormats() {
    host.preview_loader = [this](const fs::path& path) { picture.LoadFromFile(path); };
  }
  preview::TPicture picture;
};

TEST_P(SourceFormats, OneCallTurnsTheSourceIntoTheNamedJpeg) {
  const FormatCase& c = GetParam();
  const platform::Bitmap picture_bits = test::MakePatches(40, 30);
  test::WriteFile(in / c.name, c.write(picture_bits));

  Convert(in / c.name);

  const auto probe = test::ProbeJpeg(out / (fs::path(c.name).stem().string() + "_w64.jpg"));
  ASSERT_TRUE(probe.ok);
  EXPECT_EQ(probe.width, 64);
  EXPECT_EQ(probe.height, 48);
  EXPECT_EQ(engine.OutputCount(), 1);
  EXPECT_EQ(host.size_caption, "40 X 30");
  // Only the preview may fail, and then with its own message; the conversion
  // never depends on it.
  for (const auto& [colour, text] : host.messages) EXPECT_EQ(text, kMsgNoPreview);
  if (!c.previewable) EXPECT_EQ(host.LastError(), kMsgNoPreview);
}

INSTANTIATE_TEST_SUITE_P(Every, SourceFormats,
                         ::testing::Values(FormatCase{"Jpeg", "a.jpg", Jpeg, true},
                                           FormatCase{"Png", "a.png", Png, true},
                                           FormatCase{"Gif", "a.gif", Gif, true},
                                           FormatCase{"Bmp", "a.bmp", Bmp, true},
                                           FormatCase{"Ico", "a.ico", Ico, true},
                                           // The preview reads no TIFF; the conversion does.
                                           FormatCase{"TiffWithoutPreview", "a.tif", Tiff, false}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(EngineTest, TransparentAreasComeOutWhite) {
  // Opaque black left half, fully transparent (black underneath) right half.
  platform::Bitmap b(40, 20, platform::PixelFormat::Bgra32);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      std::uint8_t* p = b.Row(y) + x * 4;
      p[0] = p[1] = p[2] = 0;
      p[3] = x < 20 ? 255 : 0;
    }
  test::WriteFile(in / "alpha.png", test::WritePng(b));
  settings.Gamma = 0;
  settings.SharpNess = 0;
  host.size_text = "40";

  Convert(in / "alpha.png");

  const auto probe = test::ProbeJpeg(out / "alpha_w40.jpg");
  ASSERT_TRUE(probe.ok);
  for (const auto& [x, y] : {std::pair{30, 10}, std::pair{38, 2}, std::pair{25, 18}}) {
    const auto p = probe.Pixel(x, y);
    EXPECT_GT(p[0], 245) << x << "," << y;
    EXPECT_GT(p[1], 245);
    EXPECT_GT(p[2], 245);
  }
  EXPECT_LT(probe.Pixel(5, 10)[0], 10);
}

}  // namespace
}  // namespace plendo::engine
