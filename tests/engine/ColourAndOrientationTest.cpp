// What an output keeps of how its source looked: the embedded colour profile
// (or sRGB pixels instead, when asked) and, without EXIF transfer, which way
// is up.
#include <gtest/gtest.h>

#include <lcms2.h>

#include "codecs/JpegSegments.h"
#include "engine/EngineFixture.h"
#include "exif/ExifInfo.h"
#include "exif/OrientationBlock.h"
#include "imaging/ColourProfile.h"
#include "support/ExifBlockWriter.h"
#include "support/TestImages.h"
#include "support/TestNames.h"

namespace plendo::engine {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::EngineTest;

// A real profile from lcms: sRGB, or one with wide primaries.
Bytes LcmsProfile(bool wide) {
  const cmsCIExyY white{0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE wide_primaries{{0.7347, 0.2653, 1.0}, {0.1152, 0.8264, 1.0}, {0.1566, 0.0177, 1.0}};
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
  cmsToneCurve* curves[3] = {gamma, gamma, gamma};
  cmsHPROFILE profile = wide ? cmsCreateRGBProfile(&white, &wide_primaries, curves) : cmsCreate_sRGBProfile();
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  Bytes bytes(size);
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  cmsFreeToneCurve(gamma);
  return bytes;
}

// Three APP2 chunks' worth: an RGB header and a pattern.
Bytes LargeProfile() {
  Bytes bytes(150000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  std::copy_n("RGB ", 4, bytes.begin() + 16);
  return bytes;
}

std::vector<std::uint8_t> Markers(const Bytes& jpeg) {
  std::vector<std::uint8_t> markers;
  codecs::ForEachHeaderSegment(jpeg, [&](std::uint8_t marker, std::span<const std::uint8_t>) {
    if (markers.empty() || markers.back() != marker) markers.push_back(marker);
    return true;
  });
  return markers;
}

enum class Kind { Jpeg, Png, Tiff };
struct ProfileCase {
  const char* label;
  Kind kind;
  bool large;
  bool exif;
};
void PrintTo(const ProfileCase& c, std::ostream* os) { *os << c.label; }

class ProfileKept : public EngineTest, public ::testing::WithParamInterface<ProfileCase> {};

// Byte for byte, right after the JFIF header (and after the EXIF block,
// which goes first), so readers that look for it there find it.
TEST_P(ProfileKept, TravelsByteForByteAfterTheHeaders) {
  const ProfileCase& c = GetParam();
  settings.ExifCopy = c.exif;
  const Bytes profile = c.large ? LargeProfile() : LcmsProfile(true);
  const platform::Bitmap picture = test::MakePatches(80, 60);
  Bytes source;
  if (c.kind == Kind::Jpeg) {
    source = test::WriteJpeg(picture, {.icc_profile = profile});
    if (c.exif) source = test::InsertAfterStart(source, test::App1Segment(test::BuildTiff(test::CameraBlock(false))));
  } else if (c.kind == Kind::Png) {
    source = test::WritePng(picture, {.icc_profile = profile});
  } else {
    source = test::WriteTiff(picture, {.icc_profile = profile});
  }
  test::WriteBytes(in / "src.img", source);
  Convert(in / "src.img");

  const Bytes output = test::ReadBytes(out / "src_w64.jpg");
  EXPECT_EQ(imaging::ReadIccProfile(output), profile);
  const std::vector<std::uint8_t> want = c.exif ? std::vector<std::uint8_t>{0xE1, 0xE0, 0xE2, 0xDB}
                                                : std::vector<std::uint8_t>{0xE0, 0xE2, 0xDB};
  const std::vector<std::uint8_t> markers = Markers(output);
  EXPECT_EQ(std::vector<std::uint8_t>(markers.begin(), markers.begin() + std::min(markers.size(), want.size())), want);
  if (c.exif) {
    exif::TExifInfo written;
    written.SetImageFileName(out / "src_w64.jpg");
    EXPECT_EQ(written.GetArtist(), "Plendo");
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, ProfileKept,
                         ::testing::Values(ProfileCase{"JpegOneChunk", Kind::Jpeg, false, false},
                                           ProfileCase{"JpegOneChunkWithExif", Kind::Jpeg, false, true},
                                           ProfileCase{"JpegThreeChunks", Kind::Jpeg, true, false},
                                           ProfileCase{"JpegThreeChunksWithExif", Kind::Jpeg, true, true},
                                           ProfileCase{"PngIccp", Kind::Png, false, false},
                                           ProfileCase{"TiffTag", Kind::Tiff, true, false}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(EngineTest, OnlyAnRgbProfileTravelsAndExiftoolReadsIt) {
  Bytes grey = LcmsProfile(false);
  std::copy_n("GRAY", 4, grey.begin() + 16);
  test::WriteBytes(in / "grey.jpg", test::WriteJpeg(test::MakePatches(40, 30), {.icc_profile = grey}));
  test::WriteBytes(in / "none.jpg", test::WriteJpeg(test::MakePatches(40, 30)));
  test::WriteBytes(in / "srgb.jpg", test::WriteJpeg(test::MakePatches(40, 30), {.icc_profile = LcmsProfile(false)}));
  for (const char* name : {"grey.jpg", "none.jpg", "srgb.jpg"}) Convert(in / name);

  EXPECT_TRUE(imaging::ReadIccProfile(test::ReadBytes(out / "grey_w64.jpg")).empty());
  EXPECT_TRUE(imaging::ReadIccProfile(test::ReadBytes(out / "none_w64.jpg")).empty());
  if (!test::HaveExiftool()) GTEST_SKIP() << "exiftool is not installed";
  EXPECT_EQ(test::RunCommand("exiftool -s -s -s -ProfileDescription " + (out / "srgb_w64.jpg").string()),
            "sRGB built-in\n");
}

// Wide-gamut colours become sRGB colours: grey stays grey, a saturated green
// loses saturation it cannot have in sRGB... and no profile is embedded.
TEST_F(EngineTest, SrgbConversionChangesColoursAndEmbedsNoProfile) {
  const platform::Bitmap green = test::MakeFlat(64, 64, {40, 200, 40, 255});
  test::WriteBytes(in / "wide.png", test::WritePng(green, {.icc_profile = LcmsProfile(true)}));
  Convert(in / "wide.png");
  const Bytes kept = test::ReadBytes(out / "wide_w64.jpg");
  settings.ToSrgb = true;
  Convert(in / "wide.png");
  const Bytes converted = test::ReadBytes(out / "wide_w64.jpg");

  EXPECT_FALSE(imaging::ReadIccProfile(kept).empty());
  EXPECT_TRUE(imaging::ReadIccProfile(converted).empty());
  test::WriteBytes(in / "kept.jpg", kept);
  test::WriteBytes(in / "converted.jpg", converted);
  const platform::Rgba before = imaging::TGPBitmap(in / "kept.jpg").Pixels().PixelAt(32, 32);
  const platform::Rgba after = imaging::TGPBitmap(in / "converted.jpg").Pixels().PixelAt(32, 32);
  EXPECT_LT(after.r, before.r - 20);  // outside sRGB's gamut: clipped to its edge
  EXPECT_GT(after.g, before.g + 20);
}

// HEIF, JPEG XL and WebP keep their profile and EXIF in boxes and chunks of
// their own; a lossy JPEG XL is decoded to sRGB and carries no profile.
TEST_F(EngineTest, PhotoFormatsKeepTheirProfileAndOrientation) {
  const fs::path photos = PLENDO_PHOTOS;
  for (const char* name : {"webp_exif.webp", "heic_icc.heic", "jxl_exif.jxl", "jxl_lossy.jxl"}) Convert(photos / name);

  const Bytes webp = test::ReadBytes(out / "webp_exif_w64.jpg");
  EXPECT_EQ(exif::ReadJpegOrientation(webp), 6);
  EXPECT_EQ(imaging::ReadIccProfile(webp), imaging::ReadIccProfile(test::ReadBytes(photos / "webp_exif.webp")));
  const Bytes heic = imaging::ReadIccProfile(test::ReadBytes(out / "heic_icc_w64.jpg"));
  EXPECT_FALSE(heic.empty());
  EXPECT_EQ(heic, imaging::ReadIccProfile(test::ReadBytes(photos / "heic_icc.heic")));
  EXPECT_EQ(imaging::ReadIccProfile(test::ReadBytes(out / "jxl_exif_v64.jpg")),
            test::ReadBytes(photos / "../data/gif-ancell-suite/sRGB.icc"));
  EXPECT_TRUE(imaging::ReadIccProfile(test::ReadBytes(out / "jxl_lossy_w64.jpg")).empty());
}

// An AVIF coded as Display P3 by its nclx box gets a profile saying so, and
// --srgb turns its colours into sRGB's; one coded as sRGB needs none.
TEST_F(EngineTest, CodedHeifColoursBecomeAProfile) {
  const fs::path photos = PLENDO_PHOTOS;
  for (const char* name : {"avif_p3.avif", "avif_colour.avif"}) Convert(photos / name);
  const Bytes kept = test::ReadBytes(out / "avif_p3_w64.jpg");
  settings.ToSrgb = true;
  Convert(photos / "avif_p3.avif");

  EXPECT_TRUE(imaging::ReadIccProfile(test::ReadBytes(out / "avif_colour_w64.jpg")).empty());
  ASSERT_TRUE(imaging::DescribesRgb(imaging::ReadIccProfile(kept)));
  test::WriteBytes(in / "kept.jpg", kept);
  const platform::Rgba p3 = imaging::TGPBitmap(in / "kept.jpg").Pixels().PixelAt(32, 20);
  const platform::Rgba srgb = imaging::TGPBitmap(out / "avif_p3_w64.jpg").Pixels().PixelAt(32, 20);
  EXPECT_GT(srgb.r, p3.r + 8);  // P3's red is redder than sRGB's
  EXPECT_LT(srgb.g, p3.g - 3);
  if (!test::HaveExiftool()) GTEST_SKIP() << "exiftool is not installed";
  EXPECT_EQ(test::RunCommand("exiftool -s -s -s -ProfileDescription " + (in / "kept.jpg").string()), "Display P3\n");
}

class UprightWithoutExif : public EngineTest, public ::testing::WithParamInterface<int> {};

// Copy off: a block with nothing but the Orientation, which our reader and
// exiftool both read back; none at all for an upright source.
TEST_P(UprightWithoutExif, KeepsOnlyTheOrientation) {
  const int orientation = GetParam();
  test::ExifTestBlock block = test::CameraBlock(orientation % 2 == 0);
  for (test::ExifTestEntry& e : block.ifd0)
    if (e.tag == 0x0112) e = test::ShortEntry(0x0112, {static_cast<std::uint64_t>(orientation)});
  block.ifd0.push_back(test::AsciiEntry(exif::kTagArtist, "Taro"));
  test::WriteBytes(in / "cam.jpg", test::InsertAfterStart(test::PlainJpeg(40, 30), test::App1Segment(test::BuildTiff(block))));
  Convert(in / "cam.jpg");

  const fs::path output = out / "cam_w64.jpg";
  EXPECT_EQ(host.EventsStartingWith("lamp status E"), std::vector<std::string>{"lamp status E 0"});
  exif::TExifInfo written;
  if (orientation == 1) {
    EXPECT_FALSE(written.HasExif(output));
    return;
  }
  EXPECT_EQ(exif::ReadJpegOrientation(test::ReadBytes(output)), orientation);
  written.SetImageFileName(output);
  EXPECT_EQ(written.GetArtist(), "");
  if (test::HaveExiftool())
    EXPECT_EQ(test::RunCommand("exiftool -s -s -s -n -Orientation " + output.string()),
              std::to_string(orientation) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Orientations, UprightWithoutExif, ::testing::Range(1, 9), test::PrintedName());

}  // namespace
}  // namespace plendo::engine
