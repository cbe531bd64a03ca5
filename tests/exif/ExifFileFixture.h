#pragma once
// The fixture the reader and writer suites share: a fresh folder to write
// test JPEGs into, one TExifInfo, and lookup of an entry by tag.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "exif/ExifInfo.h"
#include "support/ExifBlockWriter.h"
#include "support/TempDir.h"

namespace plendo::exif {

class ExifFileFixture : public ::testing::Test {
 protected:
  std::filesystem::path Write(const std::string& name, const plendo::test::Bytes& bytes) {
    const auto path = dir_ / name;
    plendo::test::WriteBytes(path, bytes);
    return path;
  }
  // The entry with `tag` in directory `dir` of `exif`, or null.
  static TEntryItem* Find(TExifInfo& exif, std::uint16_t tag, std::uint8_t dir, bool thumbnail = false) {
    TEntryItems& list = thumbnail ? exif.ThumbnailEntries() : exif.MainEntries();
    const int index = list.IndexOfTag(tag, dir);
    return index < 0 ? nullptr : &list[index];
  }
  TEntryItem* Find(std::uint16_t tag, std::uint8_t dir, bool thumbnail = false) {
    return Find(exif_, tag, dir, thumbnail);
  }

  plendo::test::TempDir dir_;
  TExifInfo exif_;
};

}  // namespace plendo::exif
