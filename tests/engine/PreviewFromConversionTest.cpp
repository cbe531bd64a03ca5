// The panel's preview made on the worker from the conversion's own decode:
// it shows what the preview's own decoders showed, photos upright, and the
// panel sees the same events in the same order.
#include <filesystem>
#include <functional>
#include <memory>

#include "EngineFixture.h"
#include "exif/OrientationBlock.h"
#include "platform/Canvas.h"
#include "imaging/ImageDecoder.h"
#include "preview/ImageControl.h"
#include "preview/PngImage.h"
#include "preview/Picture.h"
#include "support/TestImages.h"

namespace plendo::test {
namespace {

namespace fs = std::filesystem;

constexpr preview::PreviewArea kPanelPicture{173, 164};

// What the picture control shows of `graphic`.
platform::Bitmap Shown(preview::TGraphic& graphic) {
  platform::Canvas canvas(kPanelPicture.width, kPanelPicture.height);
  canvas.Fill(canvas.ClientRect(), preview::kMonitorBackground);
  graphic.Draw(canvas, preview::PlaceImage(graphic.GetWidth(), graphic.GetHeight(), canvas.Width(), canvas.Height()));
  return canvas.Pixels().Clone();
}

class PreviewFromConversionTest : public EngineTest {
 protected:
  PreviewFromConversionTest() { host.preview_area = kPanelPicture; }

  // The preview the conversion made for `path`; null when it failed.
  preview::TGraphic* ConvertedPreview(const fs::path& path) {
    host.shown.clear();
    Convert(path);
    return host.shown.empty() ? nullptr : host.shown.back().get();
  }
};

struct Source {
  const char* name;
  std::function<void(const fs::path&)> write;
  double max_mean_difference;  // against the preview's own decoder
};

const Source kSources[] = {
    // Decoded at 1/8 for the 200-pixel output: the preview picks from that.
    {"photo.jpg", [](const fs::path& p) { WriteFile(p, WriteJpeg(MakeGradient(2400, 1600))); }, 1.5},
    {"patches.jpg", [](const fs::path& p) { WriteFile(p, WriteJpeg(MakePatches(1200, 900))); }, 3.0},
    {"picture.bmp", [](const fs::path& p) { WriteFile(p, WriteBmp(MakePatches(300, 200))); }, 0.0},
    {"clear.png", [](const fs::path& p) { WriteFile(p, WritePng(MakeGradient(300, 200, true))); }, 0.0},
    {"patches.gif", [](const fs::path& p) { WriteFile(p, WriteGif(MakePatches(300, 200))); }, 0.0},
    {"colour.heic", [](const fs::path& p) { fs::copy_file(fs::path(PLENDO_PHOTOS) / "heic_colour.heic", p); }, 0.5},
    {"lossy.webp", [](const fs::path& p) { fs::copy_file(fs::path(PLENDO_PHOTOS) / "webp_lossy.webp", p); }, 1.5},
    {"chart.emf",
     [](const fs::path& p) { fs::copy_file(fs::path(PLENDO_TESTDATA) / "metafiles/libemf2svg/emf/test-001.emf", p); },
     0.0},
    // Its drawing in EMF+ records only.
    {"plus.emf",
     [](const fs::path& p) {
       fs::copy_file(fs::path(PLENDO_TESTDATA) / "metafiles/libemf2svg/libuemf/test_libuemf_p_ref.emf", p);
     },
     0.0},
};

class PreviewSourceTest : public PreviewFromConversionTest, public ::testing::WithParamInterface<Source> {};

// Converted and skipped by the overwrite rule (then decoded for the preview
// alone), the picture is the one the extension's decoder shows.
TEST_P(PreviewSourceTest, ShowsWhatThePreviewDecoderShows) {
  const fs::path path = in / GetParam().name;
  GetParam().write(path);
  std::unique_ptr<preview::TGraphic> own = preview::LoadGraphic(path);
  own->PrepareForDraw();
  const platform::Bitmap expected = Shown(*own);

  host.size_text = "200";
  preview::TGraphic* converted = ConvertedPreview(path);
  ASSERT_NE(converted, nullptr);
  EXPECT_EQ(converted->GetWidth(), own->GetWidth());
  EXPECT_EQ(converted->GetHeight(), own->GetHeight());
  EXPECT_LE(MeanChannelDifference(Shown(*converted), expected), GetParam().max_mean_difference);

  settings.OverWrite = false;  // the output now exists: nothing is converted
  preview::TGraphic* skipped = ConvertedPreview(path);
  ASSERT_NE(skipped, nullptr);
  EXPECT_LE(MeanChannelDifference(Shown(*skipped), expected), GetParam().max_mean_difference);
}

INSTANTIATE_TEST_SUITE_P(Formats, PreviewSourceTest, ::testing::ValuesIn(kSources),
                         [](const ::testing::TestParamInfo<Source>& info) {
                           std::string name = info.param.name;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// Where the preview's PNG decoder hands its pixels to the conversion, they are
// the ones the conversion's own decoder makes, over the whole conformance suite.
TEST(SharedPngDecode, GivesTheConversionDecodersPixels) {
  int shared = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(PLENDO_TESTDATA) / "pngsuite" / "png")) {
    if (entry.path().extension() != ".png") continue;
    const Bytes bytes = ReadBytes(entry.path());
    preview::TPNGObject png;
    try {
      png.LoadFromBytes(bytes);
    } catch (...) {
      continue;
    }
    const std::optional<platform::Bitmap> pixels = png.TakePlainPixels();
    if (!pixels) continue;
    ++shared;
    const platform::Bitmap decoded = imaging::DecodeImage(bytes);
    EXPECT_EQ(MaxChannelDifference(*pixels, decoded), 0) << entry.path().filename();
  }
  EXPECT_GE(shared, 8);
}

// A TIFF, or a file whose content is not what its extension says, is still
// converted while its preview fails, as before.
TEST_F(PreviewFromConversionTest, FilesThePreviewCannotShowStillFail) {
  WriteFile(in / "scan.tif", WriteTiff(MakePatches(60, 40)));
  WriteFile(in / "named.jpg", WritePng(MakePatches(60, 40)));
  for (const char* name : {"scan.tif", "named.jpg"}) {
    EXPECT_EQ(ConvertedPreview(in / name), nullptr) << name;
    EXPECT_EQ(host.LastError(), engine::kMsgNoPreview) << name;
    EXPECT_TRUE(fs::exists(out / (fs::path(name).stem().string() + "_w64.jpg"))) << name;
  }
}

// The same events in the same order as when the host loads each preview
// itself (a preview that failed on the worker is never handed over).
TEST_F(PreviewFromConversionTest, ThePanelSeesTheSameEvents) {
  const fs::path a = JpegSource("a.jpg", 300, 200), b = in / "b.png";
  WriteFile(b, WritePng(MakePatches(60, 40)));
  const auto batch = [&] {
    fs::remove_all(out);
    fs::create_directories(out);
    host.events.clear();
    engine.XQTDropFiles({a, b, in / "missing.jpg"});
    std::erase(host.events, "preview " + (in / "missing.jpg").string());
    return host.events;
  };
  const std::vector<std::string> with_previews = batch();
  EXPECT_EQ(host.shown.size(), 2u);
  host.preview_area = {};
  EXPECT_EQ(batch(), with_previews);
}

// Upright picture: red top left, green top right, blue bottom left, yellow
// bottom right, wider than high. Per EXIF Orientation, which upright corner
// each stored corner holds (top left, top right, bottom left, bottom right).
enum Corner { TL, TR, BL, BR };
struct Stored {
  int orientation;
  Corner corners[4];
};
const Stored kOrientations[] = {
    {1, {TL, TR, BL, BR}}, {2, {TR, TL, BR, BL}}, {3, {BR, BL, TR, TL}}, {4, {BL, BR, TL, TR}},
    {5, {TL, BL, TR, BR}}, {6, {TR, BR, TL, BL}}, {7, {BR, TR, BL, TL}}, {8, {BL, TL, BR, TR}},
};
const platform::Rgba kCornerColour[] = {{230, 20, 20, 255}, {20, 230, 20, 255}, {20, 20, 230, 255}, {230, 230, 20, 255}};

platform::Bitmap StoredPicture(const Stored& s) {
  const bool turned = s.orientation >= 5;
  const int w = turned ? 200 : 300, h = turned ? 300 : 200;
  platform::Bitmap b(w, h, platform::PixelFormat::Bgr24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const platform::Rgba c = kCornerColour[s.corners[(y < h / 2 ? 0 : 2) + (x < w / 2 ? 0 : 1)]];
      std::uint8_t* p = b.Row(y) + 3 * x;
      p[0] = c.b, p[1] = c.g, p[2] = c.r;
    }
  return b;
}

TEST_F(PreviewFromConversionTest, PhotosShowUprightByTheirOrientation) {
  for (const Stored& s : kOrientations) {
    const fs::path path = in / ("o" + std::to_string(s.orientation) + ".jpg");
    WriteFile(path, exif::InsertOrientationBlock(WriteJpeg(StoredPicture(s)), s.orientation));
    preview::TGraphic* graphic = ConvertedPreview(path);
    ASSERT_NE(graphic, nullptr) << s.orientation;
    EXPECT_EQ(graphic->GetWidth(), 300) << s.orientation;
    EXPECT_EQ(graphic->GetHeight(), 200) << s.orientation;
    // Placed 173 x 115 at (0, 24): one point inside each quarter.
    const platform::Bitmap shown = Shown(*graphic);
    const struct { int x, y; Corner corner; } probes[] = {{40, 50, TL}, {130, 50, TR}, {40, 110, BL}, {130, 110, BR}};
    for (const auto& probe : probes) {
      const platform::Rgba got = shown.PixelAt(probe.x, probe.y), want = kCornerColour[probe.corner];
      EXPECT_NEAR(got.r, want.r, 30) << "orientation " << s.orientation << " corner " << probe.corner;
      EXPECT_NEAR(got.g, want.g, 30) << "orientation " << s.orientation << " corner " << probe.corner;
      EXPECT_NEAR(got.b, want.b, 30) << "orientation " << s.orientation << " corner " << probe.corner;
    }
  }
}

}  // namespace
}  // namespace plendo::test
