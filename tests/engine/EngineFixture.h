#pragma once
// A resize engine over a headless panel, with an input and an output folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/ResizeEngine.h"
#include "platform/Bitmap.h"
#include "codecs/JpegEncoder.h"
#include "support/HeadlessPanelHost.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

namespace plendo::test {

inline platform::Bitmap SolidBitmap(int width, int height, platform::Rgba colour) {
  platform::Bitmap b(width, height, platform::PixelFormat::Bgr24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = b.Row(y) + x * 3;
      p[0] = colour.b;
      p[1] = colour.g;
      p[2] = colour.r;
    }
  return b;
}


inline void WriteJpegSource(const std::filesystem::path& path, int width, int height,
                            platform::Rgba colour = {200, 120, 40, 255}) {
  WriteBytes(path, codecs::EncodeJpeg(SolidBitmap(width, height, colour), {95, false}));
}


class EngineTest : public ::testing::Test {
 protected:
  EngineTest() {
    std::filesystem::create_directories(in);
    std::filesystem::create_directories(out);
    host.wo_path = out.string();
    host.size_text = "64";
  }

  std::filesystem::path JpegSource(const std::string& name, int width, int height,
                                   platform::Rgba colour = {200, 120, 40, 255}) {
    const auto path = in / name;
    WriteJpegSource(path, width, height, colour);
    return path;
  }

  // One file, as the batch driver would hand it over.
  void Convert(const std::filesystem::path& path) {
    engine.SetGlobalWorkValue();
    engine.ResizeGRP(path);
  }

  TempDir dir;
  std::filesystem::path in = dir / "in";
  std::filesystem::path out = dir / "out";
  settings::AppSettings settings;
  HeadlessPanelHost host;
  engine::ResizeEngine engine{settings, host};
};

}  // namespace plendo::test
