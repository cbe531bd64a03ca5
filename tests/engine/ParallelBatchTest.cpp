// Batches converted on several workers: the same files with the same bytes
// and the same panel events as with one, and shrink-on-load that draws what
// a full decode draws.
#include <gtest/gtest.h>

#include <map>

#include "engine/EngineFixture.h"
#include "engine/FileConverter.h"
#include "imaging/Graphics.h"
#include "imaging/JpegDecoder.h"
#include "support/ExifBlockWriter.h"
#include "support/TestImages.h"

namespace plendo::engine {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::EngineTest;

struct BatchRecord {
  std::vector<std::string> events;
  std::map<std::string, Bytes> files;  // everything the output folder holds
};

class ParallelBatch : public test::EngineTest, public ::testing::WithParamInterface<bool> {
 protected:
  // Every kind of outcome, the tricky ones in the middle: a camera JPEG with
  // EXIF, a JPEG that shrinks on load, PNG with alpha, BMP, GIF, junk, a
  // folder, an output that exists (skipped), two sources with one output
  // name, and a source that is the output of an earlier item.
  std::vector<fs::path> MixedBatch() {
    test::ExifTestBlock block = test::CameraBlock(false);
    test::WriteBytes(in / "cam.jpg", test::InsertAfterStart(test::PlainJpeg(320, 240, 30, 90, 220),
                                                            test::App1Segment(test::BuildTiff(block))));
    test::WriteFile(in / "big.jpg", test::WriteJpeg(test::MakePatches(640, 400)));
    test::WriteFile(in / "alpha.png", test::WritePng(test::MakeGradient(90, 60, true)));
    test::WriteFile(in / "dup.bmp", test::WriteBmp(test::MakeCheckerboard(70, 50, 5, {0, 0, 0, 255}, {255, 255, 255, 255})));
    test::WriteFile(in / "dup.gif", test::WriteGif(test::MakePatches(40, 40)));
    test::WriteText(in / "junk.jpg", "not a picture");
    fs::create_directories(in / "folder");
    JpegSource("kept.jpg", 30, 20);
    return {in / "cam.jpg",  in / "junk.jpg", in / "big.jpg",  in / "folder",   in / "alpha.png",
            in / "kept.jpg", in / "dup.bmp",  in / "dup.gif", out / "big_w64.jpg", in / "cam.jpg"};
  }

  BatchRecord Run(const std::vector<fs::path>& items, int jobs) {
    fs::remove_all(out);
    fs::create_directories(out);
    test::WriteText(out / "kept_w64.jpg", "earlier");
    settings.Jobs = jobs;
    host.events.clear();
    EXPECT_TRUE(engine.XQTDropFiles(items));
    BatchRecord record{host.events, {}};
    for (const auto& name : test::Listing(out)) record.files[name] = test::ReadBytes(out / name);
    return record;
  }
};

TEST_P(ParallelBatch, SeveralWorkersGiveWhatOneGives) {
  settings.ExifCopy = GetParam();
  settings.OverWrite = false;
  const std::vector<fs::path> items = MixedBatch();

  const BatchRecord one = Run(items, 1);
  const BatchRecord several = Run(items, 4);

  EXPECT_EQ(several.events, one.events);
  EXPECT_EQ(several.files, one.files);
  std::vector<std::string> names;
  for (const auto& [name, bytes] : one.files) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"alpha_w64.jpg", "big_w64.jpg", "big_w64_w64.jpg", "cam_w64.jpg",
                                             "dup_w64.jpg", "dup_w64_2.jpg", "kept_w64.jpg"}));
  EXPECT_EQ(host.size_caption, "出力済 6 枚");
  EXPECT_EQ(test::ReadText(out / "kept_w64.jpg"), "earlier");
}

INSTANTIATE_TEST_SUITE_P(ExifCopy, ParallelBatch, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "On" : "Off"; });

// Drawn from a quarter-scale decode, the output matches a draw from the full
// picture: same geometry, same colours, only resampling noise.
TEST_F(EngineTest, ShrinkOnLoadDrawsWhatTheFullPictureDraws) {
  settings.Gamma = 0;
  settings.SharpNess = 0;
  settings.Compress = 100;
  host.size_text = "200";
  const Bytes jpeg = test::WriteJpeg(test::MakePatches(1200, 800), {.quality = 95});
  test::WriteBytes(in / "p.jpg", jpeg);
  ASSERT_EQ(imaging::ChooseJpegScale(1200, 800, 200, 800.0 / 6, kShrinkOnLoadHeadroom), 4);

  Convert(in / "p.jpg");

  const Bytes written = test::ReadBytes(out / "p_w200.jpg");
  const platform::Bitmap output = imaging::DecodeJpeg(written);
  platform::Bitmap reference(200, 133, platform::PixelFormat::Bgr24);
  reference.Fill(0xFF);
  imaging::TGPGraphics graphics(reference);
  graphics.DrawImage(imaging::TGPBitmap(imaging::DecodeJpeg(jpeg)), {0, 0, 200, 800.0f / 6}, {0, 0, 1200, 800},
                     imaging::Unit::Pixel, nullptr);
  // Half a pixel off would come to about 1.4.
  EXPECT_LT(test::MeanChannelDifference(output, reference), 1.0);
}

}  // namespace
}  // namespace plendo::engine
