// Damaged and hostile EXIF blocks: every truncation of a camera's file and a
// few hundred random corruptions must load or fail with EExifError, never
// crash, and never make the reader allocate more than a small multiple of the
// file's size.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

#include "exif/ExifInfo.h"
#include "support/ExifBlockWriter.h"
#include "support/TempDir.h"

// Every allocation of this test program is counted: a size header in front of
// each block keeps the live total and its peak.
namespace {
std::atomic<std::size_t> g_live{0};
std::atomic<std::size_t> g_peak{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);
}  // namespace

void* operator new(std::size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!block) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = size;
  const std::size_t live = g_live += size;
  std::size_t peak = g_peak.load();
  while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
  }
  return block + kHeader;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  auto* block = static_cast<unsigned char*>(p) - kHeader;
  g_live -= *reinterpret_cast<std::size_t*>(block);
  std::free(block);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace plendo::exif {
namespace {

using test::Bytes;

enum class Outcome { Loaded, ExifError };

class DamagedFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (bool big : {false, true}) {
      const Bytes jpeg = test::PlainJpeg(64, 48);
      Bytes segment = test::App1Segment(test::BuildTiff(test::CameraBlock(big)));
      files_[big] = test::InsertAfterStart(jpeg, segment);
      segment_end_ = 2 + segment.size();
      thumbnail_start_ = segment_end_ - test::CameraBlock(big).thumbnail.size();
    }
  }

  // Loads `bytes`; fails the test on any other exception and on an
  // allocation beyond the bound. Returns what happened.
  Outcome Load(const Bytes& bytes) {
    const auto path = dir_ / "damaged.jpg";
    test::WriteBytes(path, bytes);
    TExifInfo exif;
    const std::size_t before = g_live.load();
    g_peak = before;
    Outcome outcome = Outcome::Loaded;
    try {
      exif.SetImageFileName(path);
      exif.GetArtist();
    } catch (const EExifError&) {
      outcome = Outcome::ExifError;
    } catch (const std::exception& e) {
      ADD_FAILURE() << "unexpected " << e.what();
    }
    // Entries cost a few times their 12 bytes in memory, values their size.
    const std::size_t bound = 8 * bytes.size() + 64 * 1024;
    EXPECT_LE(g_peak.load() - before, bound);
    return outcome;
  }

  static inline Bytes files_[2];
  static inline std::size_t segment_end_ = 0;
  static inline std::size_t thumbnail_start_ = 0;
  test::TempDir dir_;
};

TEST_F(DamagedFile, EveryTruncationLoadsOrFailsWithExifError) {
  for (bool big : {false, true}) {
    const Bytes& whole = files_[big];
    // The reader does not look into the thumbnail, so cuts inside it load.
    for (std::size_t cut = 0; cut <= thumbnail_start_ + 8; ++cut) {
      SCOPED_TRACE(cut);
      const Outcome outcome = Load(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
      EXPECT_EQ(outcome, cut < thumbnail_start_ ? Outcome::ExifError : Outcome::Loaded);
    }
  }
}

TEST_F(DamagedFile, RandomCorruptionsLoadOrFailWithExifError) {
  std::mt19937 random(20261208);
  int loaded = 0;
  for (int round = 0; round < 400; ++round) {
    Bytes bytes = files_[round % 2];
    const int flips = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < flips; ++i) {
      // Mostly inside the directories, where offsets and counts live.
      const std::size_t at = 12 + random() % (segment_end_ < 1200 ? segment_end_ - 12 : 1200);
      bytes[at] = static_cast<std::uint8_t>(random());
    }
    SCOPED_TRACE(round);
    loaded += Load(bytes) == Outcome::Loaded;
  }
  EXPECT_GT(loaded, 0);  // some corruptions hit only values
}

TEST_F(DamagedFile, HostileCountsAndOffsetsInEveryEntryFailBeforeAllocating) {
  // Each 12-byte entry of IFD0 (entries start at TIFF offset 10, the TIFF
  // header at file offset 12): count, then value offset set to the largest
  // values.
  const Bytes& base = files_[0];
  const std::size_t tiff = 12;
  const int entries = base[tiff + 8] | (base[tiff + 9] << 8);
  for (int e = 0; e < entries; ++e) {
    for (std::size_t field : {4u, 8u}) {
      Bytes bytes = base;
      const std::size_t at = tiff + 10 + 12 * static_cast<std::size_t>(e) + field;
      bytes[at] = bytes[at + 1] = bytes[at + 2] = bytes[at + 3] = 0xFF;
      SCOPED_TRACE(testing::Message() << "entry " << e << " field " << field);
      Load(bytes);
    }
  }
}

TEST_F(DamagedFile, DirectoriesPointingAtEachOtherCannotMultiplyTheEntries) {
  // Every pointer aims at IFD0 itself: each directory is read once, and the
  // repeated entries are paid for out of the file's size.
  test::ExifTestBlock block;
  for (int i = 0; i < 2000; ++i) block.ifd0.push_back(test::ShortEntry(static_cast<std::uint16_t>(0x4000 + i), {1}));
  block.ifd0.push_back(test::LongEntry(0x8769, {8}));
  block.ifd0.push_back(test::LongEntry(0x8825, {8}));
  Bytes tiff = test::BuildTiff(block);
  // Aim both pointers (the last two entries) and the next-IFD offset at IFD0.
  for (const std::size_t field : {8 + 2 + 12 * 2000 + 8, 8 + 2 + 12 * 2001 + 8, 8 + 2 + 12 * 2002})
    tiff[field] = 8, tiff[field + 1] = tiff[field + 2] = tiff[field + 3] = 0;
  const Bytes file = test::InsertAfterStart(test::PlainJpeg(8, 8), test::App1Segment(tiff));
  EXPECT_EQ(Load(file), Outcome::ExifError);
}

}  // namespace
}  // namespace plendo::exif
