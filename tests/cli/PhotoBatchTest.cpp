// plendo-batch on photos from today's phones and the web: HEIC, AVIF, WebP
// and JPEG XL come out as upright JPEGs, with their EXIF when asked (checked
// by exiftool); a damaged one is reported like any unreadable file and the
// batch goes on; --type picks each format by its extensions.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <sstream>

#include "cli/BatchRun.h"
#include "engine/JpegProbe.h"
#include "imaging/ImageDecoder.h"
#include "support/PhotoFiles.h"
#include "support/TempDir.h"

namespace plendo::cli {
namespace {

namespace fs = std::filesystem;

std::string RunCommand(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::string out;
  std::array<char, 512> buffer;
  while (pipe && std::fgets(buffer.data(), buffer.size(), pipe.get())) out += buffer.data();
  return out;
}

class PhotoBatch : public ::testing::Test {
 protected:
  PhotoBatch() {
    fs::create_directories(in);
    fs::create_directories(out);
    test::WriteText(settings_file, "");
    environment.executable = dir / "plendo-batch";
  }

  std::string Photo(const char* photo, const std::string& name) {
    test::WriteBytes(in / name, test::ReadPhoto(photo));
    return (in / name).string();
  }

  int Run(std::vector<std::string> files, std::vector<std::string> options = {}) {
    std::vector<std::string> args = {"--settings", settings_file.string(), "--size", "80", "--out", out.string()};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), files.begin(), files.end());
    stdout_.str("");
    stderr_.str("");
    return RunBatch(args, stdout_, stderr_, environment);
  }

  test::TempDir dir;
  fs::path in = dir / "in";
  fs::path out = dir / "out";
  fs::path settings_file = dir / "empty.ENV";
  BatchEnvironment environment;
  std::ostringstream stdout_;
  std::ostringstream stderr_;
};

TEST_F(PhotoBatch, EveryFormatComesOutUprightAndADamagedFileDoesNotStopTheBatch) {
  test::Bytes cut = test::ReadPhoto("heic_colour.heic");
  cut.resize(cut.size() / 2);
  test::WriteBytes(in / "cut.heic", cut);
  const int status = Run({Photo("heic_rotate90.heic", "turned.heic"), (in / "cut.heic").string(),
                          Photo("avif_alpha.avif", "clear.avif"), Photo("webp_anim.webp", "moving.webp"),
                          Photo("jxl_lossy.jxl", "new.jxl"), Photo("heic_10bit.heic", "deep.heic")});

  EXPECT_EQ(status, kExitSomeFailed);
  EXPECT_NE(stderr_.str().find("plendo-batch: " + (in / "cut.heic").string() + ": damaged HEIF data: This file cannot be converted (^_^;)\n"),
            std::string::npos)
      << stderr_.str();
  EXPECT_EQ(test::Listing(out), (std::vector<std::string>{"clear_w80.jpg", "deep_w80.jpg", "moving_w80.jpg",
                                                          "new_w80.jpg", "turned_v80.jpg"}));
  // Stored on its side, shown upright: red top right, blue bottom right.
  const test::JpegProbe turned = test::ProbeJpeg(out / "turned_v80.jpg");
  ASSERT_TRUE(turned.ok);
  EXPECT_EQ(turned.width, 48);
  EXPECT_EQ(turned.height, 80);
  EXPECT_GT(turned.Pixel(44, 3)[0], 200);
  EXPECT_GT(turned.Pixel(44, 76)[2], 200);
  // Transparent at the left edge, so white there.
  const test::JpegProbe clear = test::ProbeJpeg(out / "clear_w80.jpg");
  ASSERT_TRUE(clear.ok);
  for (const int channel : clear.Pixel(0, 24)) EXPECT_GT(channel, 235);
}

// HEIF and JPEG XL pixels come out turned already, so their block says 1; a
// WebP's pixels are as stored, so its block keeps what it said, as a JPEG's.
TEST_F(PhotoBatch, ExifIsCarriedWithTheArtistMarkedAndATrueOrientation) {
  if (RunCommand("command -v exiftool").empty()) GTEST_SKIP() << "exiftool is not installed";
  ASSERT_EQ(Run({Photo("heic_exif.heic", "phone.heic"), Photo("webp_exif.webp", "web.webp"),
                 Photo("jxl_exif.jxl", "camera.jxl")},
                {"--exif"}),
            kExitOk)
      << stderr_.str();

  const std::pair<const char*, const char*> outputs[] = {
      {"phone_v80.jpg", "1"}, {"web_w80.jpg", "6"}, {"camera_v80.jpg", "1"}};
  for (const auto& [name, orientation] : outputs) {
    const std::string quoted = std::string("'").append((out / name).string()).append("'");
    std::istringstream values(RunCommand("exiftool -s -s -s -n -Artist -Make -Orientation -ThumbnailLength " + quoted));
    std::vector<std::string> tags;
    for (std::string line; std::getline(values, line);) tags.push_back(line);
    ASSERT_EQ(tags.size(), 4u) << name;
    EXPECT_EQ(tags[0], "Hanako (Plendo)") << name;
    EXPECT_EQ(tags[1], "Plendo-Test") << name;
    EXPECT_EQ(tags[2], orientation) << name;
    EXPECT_GT(std::stoi(tags[3]), 100) << name;  // a fresh thumbnail of the output
    EXPECT_EQ(RunCommand("exiftool -validate -error -s -s -s " + quoted + " 2>&1").find("Error"), std::string::npos)
        << name;
  }
}

// A WebP is decoded at half size for a target that leaves room, averaged by
// libwebp; the output stays close to one from its whole decode (a JPEG
// decoded at half size by DCT scaling is 24 dB from its whole decode here).
TEST_F(PhotoBatch, ReducedWebpDecodeStaysCloseToTheWholeOne) {
  ASSERT_EQ(Run({Photo("webp_lossy.webp", "reduced.webp"), Photo("webp_lossy.ref.png", "whole.png")},
                {"--size", "24", "--sharpness", "0"}),
            kExitOk);
  const platform::Bitmap reduced = imaging::DecodeImageFile(out / "reduced_w24.jpg");
  EXPECT_GT(test::Psnr(reduced, imaging::DecodeImageFile(out / "whole_w24.jpg")), 26);
}

TEST_F(PhotoBatch, TypeOptionTakesOnlyThatFormatsExtensions) {
  const std::vector<std::string> files = {Photo("heic_colour.heic", "a.heic"), Photo("heic_colour.heic", "b.HEIF"),
                                          Photo("avif_colour.avif", "c.avif"), Photo("webp_lossy.webp", "d.webp"),
                                          Photo("jxl_lossy.jxl", "e.jxl")};
  const std::pair<const char*, std::vector<std::string>> types[] = {
      {"heif", {"a_w80.jpg", "b_w80.jpg"}}, {"avif", {"c_w80.jpg"}}, {"webp", {"d_w80.jpg"}}, {"jxl", {"e_w80.jpg"}}};
  for (const auto& [type, written] : types) {
    fs::remove_all(out);
    fs::create_directories(out);
    EXPECT_EQ(Run(files, {"--type", type}), kExitOk);
    EXPECT_EQ(test::Listing(out), written) << type;
  }
}

}  // namespace
}  // namespace plendo::cli
