#include <gtest/gtest.h>

#include "engine/EngineFixture.h"
#include "engine/JpegProbe.h"
#include "exif/ExifInfo.h"
#include "support/ExifBlockWriter.h"

namespace plendo::engine {
namespace {

namespace fs = std::filesystem;
using test::EngineTest;

// A camera-like JPEG source with the given artist (none when empty).
void WriteExifSource(const fs::path& path, const std::string& artist) {
  test::ExifTestBlock block = test::CameraBlock(false);
  if (!artist.empty()) block.ifd0.push_back(test::AsciiEntry(exif::kTagArtist, artist));
  test::WriteBytes(path, test::InsertAfterStart(test::PlainJpeg(40, 30), test::App1Segment(test::BuildTiff(block))));
}

struct ArtistCase {
  const char* label;
  std::string artist;
  const char* marked;
};

void PrintTo(const ArtistCase& c, std::ostream* os) { *os << c.label; }

class ExifCopy : public EngineTest, public ::testing::WithParamInterface<ArtistCase> {};

TEST_P(ExifCopy, CarriesTheBlockWithTheArtistMarkedAndAThumbnail) {
  settings.ExifCopy = true;
  WriteExifSource(in / "cam.jpg", GetParam().artist);

  Convert(in / "cam.jpg");

  ASSERT_EQ(engine.OutputCount(), 1);
  EXPECT_EQ(host.LastError(), "");
  EXPECT_TRUE(engine.ExifFound());
  EXPECT_TRUE(engine.ExifWithThumbnail());
  EXPECT_EQ(host.EventsStartingWith("lamp status E"), std::vector<std::string>{"lamp status E 1"});
  EXPECT_FALSE(host.Lit(Lamp::Exif));

  exif::TExifInfo written;
  const fs::path output = out / "cam_w64.jpg";
  ASSERT_TRUE(written.HasExif(output));
  written.SetImageFileName(output);
  EXPECT_EQ(written.GetArtist(), GetParam().marked);
  EXPECT_EQ(written.GetThumbnailCompression(), 6);
  const auto probe = test::ProbeJpeg(output);
  ASSERT_TRUE(probe.ok);
  EXPECT_EQ(probe.width, 64);
}

INSTANTIATE_TEST_SUITE_P(Artists, ExifCopy,
                         ::testing::Values(ArtistCase{"None", "", "Plendo"},
                                           ArtistCase{"Named", "Taro", "Taro (Plendo)"},
                                           ArtistCase{"SpacePadded", "Taro Yamada    ", "Taro Yamada (Plendo)"},
                                           ArtistCase{"NulPadded", std::string("Taro\0 \0\0", 7), "Taro (Plendo)"},
                                           ArtistCase{"OnlyPadding", "      ", "Plendo"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(EngineTest, ASourceWithoutExifGetsNoneEvenAfterOneWithExif) {
  settings.ExifCopy = true;
  WriteExifSource(in / "cam.jpg", "Taro");
  Convert(in / "cam.jpg");
  Convert(JpegSource("plain.jpg", 20, 10));

  EXPECT_EQ(engine.OutputCount(), 1);  // counts per batch: the second Convert started anew
  EXPECT_FALSE(engine.ExifFound());
  exif::TExifInfo written;
  EXPECT_FALSE(written.HasExif(out / "plain_w64.jpg"));
  EXPECT_EQ(host.EventsStartingWith("lamp status E").back(), "lamp status E 0");
}

TEST_F(EngineTest, ADamagedExifBlockIsDroppedAndTheFileStillConverted) {
  settings.ExifCopy = true;
  WriteExifSource(in / "cam.jpg", "Taro");
  Convert(in / "cam.jpg");  // leaves a loaded block behind in the component

  // "Exif" identifier, then a TIFF header that points far outside the block.
  const test::Bytes tiff = {'I', 'I', 42, 0, 0xF0, 0xFF, 0xFF, 0x7F};
  test::WriteBytes(in / "broken.jpg", test::InsertAfterStart(test::PlainJpeg(20, 10), test::App1Segment(tiff)));
  Convert(in / "broken.jpg");

  EXPECT_EQ(engine.OutputCount(), 1);
  EXPECT_EQ(host.LastError(), "");
  exif::TExifInfo written;
  EXPECT_FALSE(written.HasExif(out / "broken_w64.jpg"));  // nothing of cam.jpg carried over
}

}  // namespace
}  // namespace plendo::engine
