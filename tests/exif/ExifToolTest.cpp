// Our written segments checked by an independent reader: exiftool must find
// no error and no warning beyond those our own layout rules cause.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <sstream>

#include "exif/ExifInfo.h"
#include "support/ExifBlockWriter.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

namespace plendo::exif {
namespace {

using test::HaveExiftool;
using test::RunCommand;

// Values are written right after their directory without padding; the
// test camera's maker note is made up; an Artist added by the engine goes
// after every entry read, out of tag order.
bool IsAcceptedWarning(const std::string& text) {
  static const std::array<std::string, 4> kAccepted = {
      "[minor] Odd offset for ",
      "[minor] Unrecognized MakerNotes",
      "Entries in IFD0 are out of order",
      "Tag ID 0x013b Artist out of sequence in IFD0",
  };
  for (const std::string& accepted : kAccepted)
    if (text.rfind(accepted, 0) == 0) return true;
  return false;
}

struct ToolCase {
  bool big_endian;
  bool thumbnail;
};

class ExifTool : public ::testing::TestWithParam<ToolCase> {};

TEST_P(ExifTool, FindsNoErrorAndOnlyExpectedWarnings) {
  if (!HaveExiftool()) GTEST_SKIP() << "exiftool is not installed";
  test::TempDir dir;
  const auto source = dir / "source.jpg";
  const auto target = dir / "out.jpg";
  test::WriteBytes(source, test::InsertAfterStart(test::PlainJpeg(16, 16),
                                                  test::App1Segment(test::BuildTiff(test::CameraBlock(GetParam().big_endian)))));
  test::WriteBytes(target, test::PlainJpeg(640, 480));
  TExifInfo exif;
  exif.SetImageFileName(source);
  exif.SetArtist("Plendo");
  ASSERT_TRUE(exif.WriteExifTo(target, GetParam().thumbnail));

  const std::string quoted = "'" + target.string() + "'";
  std::istringstream report(RunCommand("exiftool -validate -warning -error -a -s " + quoted + " 2>&1"));
  int warnings = 0;
  for (std::string line; std::getline(report, line);) {
    const auto colon = line.find(": ");
    const std::string name = line.substr(0, line.find(' '));
    const std::string text = colon == std::string::npos ? line : line.substr(colon + 2);
    if (name == "Warning") {
      ++warnings;
      EXPECT_TRUE(IsAcceptedWarning(text)) << text;
    } else {
      EXPECT_TRUE(name == "Validate") << line;
    }
  }
  EXPECT_GT(warnings, 0);  // the report was read at all

  std::istringstream values(RunCommand("exiftool -s -s -s -n -Artist -Make -Orientation -ExposureTime "
                                "-GPSLatitude -ThumbnailLength " + quoted));
  std::string artist, make, orientation, exposure, latitude, thumbnail;
  std::getline(values, artist);
  std::getline(values, make);
  std::getline(values, orientation);
  std::getline(values, exposure);
  std::getline(values, latitude);
  std::getline(values, thumbnail);
  EXPECT_EQ(artist, "Plendo");
  EXPECT_EQ(make, "Example Camera Co.");
  EXPECT_EQ(orientation, "6");
  EXPECT_EQ(exposure, "0.004");
  EXPECT_EQ(latitude.substr(0, 7), "35.6700");
  if (GetParam().thumbnail) EXPECT_GT(std::stoi(thumbnail), 100);
}

INSTANTIATE_TEST_SUITE_P(Segments, ExifTool,
                         ::testing::Values(ToolCase{false, true}, ToolCase{true, true}, ToolCase{false, false},
                                           ToolCase{true, false}),
                         [](const auto& info) {
                           return std::string(info.param.big_endian ? "MM" : "II") +
                                  (info.param.thumbnail ? "WithThumbnail" : "WithoutThumbnail");
                         });

}  // namespace
}  // namespace plendo::exif
