// A camera's JPEG through the resize engine with EXIF copy on: the output
// carries the source's tags, the marked artist and a thumbnail of the
// resized picture.
#include <gtest/gtest.h>

#include "engine/ResizeEngine.h"
#include "exif/ExifInfo.h"
#include "exif/ExifThumbnail.h"
#include "settings/AppSettings.h"
#include "support/ExifBlockWriter.h"
#include "support/HeadlessPanelHost.h"
#include "support/TempDir.h"

namespace plendo::exif {
namespace {

using test::Bytes;

struct TransferCase {
  const char* name;
  std::function<Bytes()> source;  // the whole source file
  bool exif_out;                  // the output carries an EXIF block
  std::string artist;             // the output's artist text
};

Bytes CameraJpeg(const std::string& artist) {
  test::ExifTestBlock block = test::CameraBlock(true);
  if (!artist.empty()) block.ifd0.push_back(test::AsciiEntry(0x013B, artist));
  return test::InsertAfterStart(test::PlainJpeg(800, 600, 30, 90, 220), test::App1Segment(test::BuildTiff(block)));
}

class EngineTransfer : public ::testing::TestWithParam<TransferCase> {};

TEST_P(EngineTransfer, CarriesTheBlockOnlyWhenItLoaded) {
  test::TempDir dir;
  const auto source = dir / "IMG_0001.JPG";
  test::WriteBytes(source, GetParam().source());
  std::filesystem::create_directory(dir / "out");

  settings::AppSettings settings;
  settings.ExifCopy = true;
  test::HeadlessPanelHost host;
  host.wo_path = (dir / "out").string();
  host.size_text = "640";
  engine::ResizeEngine engine(settings, host);
  engine.SetGlobalWorkValue();
  engine.ResizeGRP(source);

  const auto output = dir / "out" / "IMG_0001_w640.jpg";
  ASSERT_TRUE(std::filesystem::exists(output)) << host.LastError();
  EXPECT_EQ(engine.OutputCount(), 1);
  EXPECT_EQ(host.LastError(), "");
  EXPECT_EQ(host.EventsStartingWith("lamp status E"),
            std::vector<std::string>{GetParam().exif_out ? "lamp status E 1" : "lamp status E 0"});
  int files_out = 0;  // no temporary file stays behind
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir / "out")) ++files_out;
  EXPECT_EQ(files_out, 1);

  TExifInfo back;
  EXPECT_EQ(back.HasExif(output), GetParam().exif_out);
  if (!GetParam().exif_out) return;
  back.SetImageFileName(output);
  EXPECT_EQ(back.GetArtist(), GetParam().artist);
  EXPECT_EQ(back.GetAsciiTag(0x010F, 0, false), "Example Camera Co.");
  EXPECT_EQ(back.MainEntries()[back.MainEntries().IndexOfTag(0x0112, 0)].GetAsShort(0), 6);
  EXPECT_EQ(back.MainEntries()[back.MainEntries().IndexOfTag(0x927C, 1)].RawValues(), test::CameraMakerNote());
  EXPECT_EQ(back.FrameWidth(), 640u);
  EXPECT_EQ(back.FrameHeight(), 480u);

  // The thumbnail is the resized picture at 160 x 120, inside a segment whose
  // length matches its bytes.
  const Bytes out = test::ReadBytes(output);
  const std::size_t segment_end = 4 + ((out[4] << 8) | out[5]);
  const auto& ifd1 = back.ThumbnailEntries();
  const std::size_t start = 12 + ifd1[ifd1.IndexOfTag(0x0201, 0)].GetAsLong(0);
  const std::size_t length = ifd1[ifd1.IndexOfTag(0x0202, 0)].GetAsLong(0);
  ASSERT_EQ(start + length, segment_end);
  EXPECT_EQ(out[segment_end], 0xFF);  // the engine's own JFIF segment follows
  EXPECT_EQ(out[segment_end + 1], 0xE0);
  const platform::Bitmap thumbnail = DecodeJpegThumbnail(out.data() + start, length);
  EXPECT_EQ(thumbnail.Width(), 160);
  EXPECT_EQ(thumbnail.Height(), 120);
  EXPECT_NEAR(thumbnail.PixelAt(80, 60).b, 220, 8);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, EngineTransfer,
    ::testing::Values(
        TransferCase{"CameraWithoutArtist", [] { return CameraJpeg(""); }, true, "Plendo"},
        TransferCase{"CameraWithArtist", [] { return CameraJpeg("Jane"); }, true, "Jane (Plendo)"},
        // A double-byte artist cannot take the mark: the block goes over unchanged.
        TransferCase{"DoubleByteArtist", [] { return CameraJpeg("山田"); }, true, "山田"},
        TransferCase{"NoExif", [] { return test::PlainJpeg(800, 600); }, false, ""},
        // The probe finds APP1 but the block does not load: treated as no EXIF.
        TransferCase{"DamagedBlock",
                     [] {
                       Bytes tiff = test::BuildTiff(test::CameraBlock(false));
                       tiff[0] = 'X';
                       return test::InsertAfterStart(test::PlainJpeg(800, 600), test::App1Segment(tiff));
                     },
                     false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A value may lie anywhere in the source file, so a block can load that no
// segment can hold: the transfer fails, the output stays without EXIF and is
// reported as not written.
TEST(EngineTransferFailure, IsAWriteErrorAndNotCounted) {
  test::TempDir dir;
  const Bytes jpeg = test::PlainJpeg(320, 240);
  test::ExifTestBlock block;
  block.ifd0 = {test::AsciiEntry(0x010F, "Maker")};
  const Bytes probe = test::App1Segment(test::BuildTiff(block));
  // The blob follows the picture; the segment grows by the blob's entry, and
  // offsets count from the TIFF header at file offset 12.
  const std::size_t blob_at = 2 + probe.size() + 12 + jpeg.size() - 2;
  block.ifd0.push_back(test::BytesEntry(0x9999, 7, {}));
  block.ifd0.back().count = 70000;
  block.ifd0.back().offset = static_cast<std::uint32_t>(blob_at - 12);
  Bytes file = test::InsertAfterStart(jpeg, test::App1Segment(test::BuildTiff(block)));
  ASSERT_EQ(file.size(), blob_at);
  file.resize(file.size() + 70000, 0x5A);
  const auto source = dir / "big.jpg";
  test::WriteBytes(source, file);

  settings::AppSettings settings;
  settings.ExifCopy = true;
  test::HeadlessPanelHost host;
  host.wo_path = dir.Path().string();
  engine::ResizeEngine engine(settings, host);
  engine.SetGlobalWorkValue();
  engine.ResizeGRP(source);

  EXPECT_TRUE(engine.ExifFound());
  EXPECT_EQ(host.LastError(), engine::kMsgWriteError);
  EXPECT_EQ(engine.OutputCount(), 0);
  const auto output = dir / "big_w640.jpg";
  ASSERT_TRUE(std::filesystem::exists(output));  // the JPEG written before the transfer stays
  EXPECT_FALSE(TExifInfo().HasExif(output));
}

}  // namespace
}  // namespace plendo::exif
