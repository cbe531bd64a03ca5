// Every output format checked by its own reference decoder (dwebp, avifdec,
// djxl; libpng for PNG) and by exiftool: size, pixels, transparency, EXIF,
// colour profile and the size tags.
#include <gtest/gtest.h>

#include <lcms2.h>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "engine/UprightPixels.h"
#include "engine/EngineFixture.h"
#include "imaging/ColourProfile.h"
#include "imaging/ImageDecoder.h"
#include "support/ExifBlockWriter.h"
#include "support/PhotoFiles.h"
#include "support/TestImages.h"

namespace plendo::test {
namespace {

using settings::OutputFormat;

struct FormatCase {
  OutputFormat format;
  const char* extension;
  const char* decoder;  // its reference decoder writing a PNG: IN, then OUT; empty for PNG
  double psnr_floor;    // against the lossless output, at Compress 90
  bool shows_upright;   // its decoder turns the pixels by the file's own orientation
  int block_orientation;  // what the EXIF block says of a source turned by 6
};

const FormatCase kFormats[] = {
    {settings::kFormatPng, ".png", "", 1e9, false, 6},
    {settings::kFormatWebp, ".webp", "dwebp -quiet %s -o %s", 32, false, 6},
    {settings::kFormatAvif, ".avif", "avifdec %s %s", 32, true, 1},  // pixels turned
    {settings::kFormatJxl, ".jxl", "djxl %s %s", 32, true, 6},       // the header says 6 too
};

Bytes SrgbProfile() {
  cmsHPROFILE profile = cmsCreate_sRGBProfile();
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  Bytes bytes(size);
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  return bytes;
}

// Both profiles put red, green and blue at the same place (a JPEG XL keeps a
// profile it recognises as its own colour encoding, not as the bytes).
bool SameColorants(const Bytes& a, const Bytes& b) {
  cmsHPROFILE pa = cmsOpenProfileFromMem(a.data(), static_cast<cmsUInt32Number>(a.size()));
  cmsHPROFILE pb = cmsOpenProfileFromMem(b.data(), static_cast<cmsUInt32Number>(b.size()));
  bool same = pa && pb;
  for (const cmsTagSignature tag : {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag}) {
    const auto* x = same ? static_cast<const cmsCIEXYZ*>(cmsReadTag(pa, tag)) : nullptr;
    const auto* y = same ? static_cast<const cmsCIEXYZ*>(cmsReadTag(pb, tag)) : nullptr;
    same = x && y && std::abs(x->X - y->X) < 0.005 && std::abs(x->Y - y->Y) < 0.005 && std::abs(x->Z - y->Z) < 0.005;
  }
  if (pa) cmsCloseProfile(pa);
  if (pb) cmsCloseProfile(pb);
  return same;
}

bool HaveTool(const std::string& command) {
  const std::string tool = command.substr(0, command.find(' '));
  return tool.empty() || !RunCommand("command -v " + tool).empty();
}

// The output as its format's own decoder sees it.
platform::Bitmap DecodeWithTool(const FormatCase& c, const std::filesystem::path& file) {
  std::filesystem::path png = file;
  if (*c.decoder) {
    png = file.string() + ".png";
    char command[1024];
    std::snprintf(command, sizeof command, c.decoder, ("'" + file.string() + "'").c_str(),
                  ("'" + png.string() + "'").c_str());
    RunCommand(std::string(command) + " >/dev/null 2>&1");
  }
  return imaging::DecodeImage(ReadBytes(png));
}

std::string Exiftool(const std::filesystem::path& file, const std::string& tags) {
  std::string out = RunCommand("exiftool -s -s -s -n " + tags + " '" + file.string() + "'");
  for (char& ch : out)
    if (ch == '\n') ch = '|';
  return out;
}

class OutputFormats : public EngineTest, public ::testing::WithParamInterface<FormatCase> {
 protected:
  void SetUp() override {
    if (!HaveTool(GetParam().decoder) || !HaveExiftool()) GTEST_SKIP() << "the format's decoder or exiftool is missing";
    host.size_text = "200";
    settings.Compress = 90;
    settings.SharpNess = 0;
  }

  // Converted to `format` into its own folder.
  std::filesystem::path ConvertTo(OutputFormat format, const std::filesystem::path& source, const std::string& name) {
    settings.OutFormat = format;
    host.wo_path = (dir / name).string();
    std::filesystem::create_directories(dir / name);
    Convert(source);
    const std::vector<std::string> files = Listing(dir / name);
    return files.empty() ? std::filesystem::path() : dir / name / files.front();
  }
};

// A camera JPEG turned by Orientation 6, with a profile and a GPS position.
TEST_P(OutputFormats, KeepPixelsExifProfileAndOrientation) {
  const FormatCase& c = GetParam();
  const Bytes profile = SrgbProfile();
  JpegOptions options;
  options.icc_profile = profile;
  const auto source = in / "camera.jpg";
  WriteBytes(source, InsertAfterStart(WriteJpeg(MakeGradient(400, 300), options),
                                      App1Segment(BuildTiff(CameraBlock(false)))));
  settings.ExifCopy = true;
  const auto reference = ConvertTo(settings::kFormatPng, source, "reference");
  const auto output = ConvertTo(c.format, source, "output");
  ASSERT_EQ(output.filename().string(), std::string("camera_w200") + c.extension);

  // Shown upright by every decoder that reads the format's own turn.
  const bool turned = c.shows_upright;
  platform::Bitmap expected = imaging::DecodeImage(ReadBytes(reference));
  if (turned) expected = engine::TurnUpright(expected, 6);
  const platform::Bitmap decoded = DecodeWithTool(c, output);
  ASSERT_EQ(decoded.Width(), turned ? 150 : 200);
  ASSERT_EQ(decoded.Height(), turned ? 200 : 150);
  EXPECT_GE(Psnr(platform::ConvertToBgr24(decoded), platform::ConvertToBgr24(expected)), c.psnr_floor);

  const bool avif = c.format == settings::kFormatAvif;
  EXPECT_EQ(Exiftool(output, "-Make -Artist -Orientation -ExifImageWidth -ExifImageHeight"),
            "Example Camera Co.|Plendo|" + std::to_string(c.block_orientation) + (avif ? "|150|200|" : "|200|150|"));
  EXPECT_FALSE(Exiftool(output, "-GPSLatitude").empty());
  if (c.format == settings::kFormatJxl)
    EXPECT_TRUE(SameColorants(imaging::ReadIccProfile(ReadBytes(output.string() + ".png")), profile));
  else
    EXPECT_EQ(imaging::ReadIccProfile(ReadBytes(output)), profile);
}

// Transparency survives in every format but JPEG, which puts it on white.
TEST_P(OutputFormats, KeepTransparency) {
  const FormatCase& c = GetParam();
  const auto source = in / "alpha.png";
  WriteBytes(source, WritePng(MakeGradient(400, 300, true)));
  const platform::Bitmap decoded = DecodeWithTool(c, ConvertTo(c.format, source, "output"));
  ASSERT_EQ(decoded.Format(), platform::PixelFormat::Bgra32);
  EXPECT_GE(decoded.PixelAt(2, 100).a, 250);
  EXPECT_LE(decoded.PixelAt(197, 100).a, 10);
  // Colour is not darkened by the transparency it had.
  EXPECT_NEAR(decoded.PixelAt(100, 140).g, 238, 8);

  const platform::Bitmap jpeg = imaging::DecodeImage(ReadBytes(ConvertTo(settings::kFormatJpeg, source, "jpeg")));
  EXPECT_NE(jpeg.Format(), platform::PixelFormat::Bgra32);
}

INSTANTIATE_TEST_SUITE_P(Formats, OutputFormats, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.extension + 1); });

}  // namespace
}  // namespace plendo::test
