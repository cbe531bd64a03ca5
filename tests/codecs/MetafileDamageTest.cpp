// Cut and damaged metafiles: every cut at a record boundary and random
// damage end in a drawing or a MetafileError, never a crash or a hang.
#include <gtest/gtest.h>

#include <random>

#include "MetafileFiles.h"
#include "codecs/ByteReader.h"
#include "support/TestNames.h"

namespace plendo::codecs {
namespace {

// Offsets where each record ends, from the record sizes (EMF in bytes,
// WMF in 16-bit words after its headers).
std::vector<std::size_t> RecordEnds(const test::Bytes& b) {
  std::vector<std::size_t> ends;
  const bool emf = ReadU32LE(b, 0) == 1;
  std::size_t at = emf ? 0 : (ReadU32LE(b, 0) == 0x9AC6CDD7 ? 22 : 0) + 18;
  while (at + 8 <= b.size()) {
    const std::size_t size = emf ? ReadU32LE(b, at) : std::size_t{ReadU32LE(b, at)} * 2;
    const std::size_t step = emf ? ReadU32LE(b, at + 4) : size;
    if (step < 6 || step > b.size() - at) break;
    at += step;
    ends.push_back(at);
  }
  return ends;
}

class MetafileDamage : public ::testing::TestWithParam<const char*> {};

TEST_P(MetafileDamage, EveryCutAtARecordBoundaryEndsCleanly) {
  const test::Bytes whole = test::ReadMetafile(GetParam());
  const std::vector<std::size_t> ends = RecordEnds(whole);
  ASSERT_GT(ends.size(), 10u);
  for (std::size_t cut : ends) {
    for (std::size_t at : {cut, cut - 1, cut + 3}) {
      if (at > whole.size()) continue;
      const test::Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(at));
      test::DrawsOrRefusesCleanly(part, 24);
    }
  }
}

TEST_P(MetafileDamage, RandomDamageEndsCleanly) {
  const test::Bytes whole = test::ReadMetafile(GetParam());
  std::mt19937 random(1234);
  for (int round = 0; round < 60; ++round) {
    test::Bytes damaged = whole;
    // Leave the first 8 bytes so that the file is still taken for a metafile.
    std::uniform_int_distribution<std::size_t> where(8, damaged.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 1 + round % 12; ++i) damaged[where(random)] = static_cast<std::uint8_t>(byte(random));
    test::DrawsOrRefusesCleanly(damaged, 24);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, MetafileDamage,
                         ::testing::Values("pillow/drawing.emf", "pillow/drawing.wmf", "poi/slideshow/wrench.emf",
                                           "twelvemonkeys/test.wmf", "libemf2svg/emf/test-013.emf",
                                           "libemf2svg/libuemf/test_libuemf_ref.wmf"),
                         test::PrintedName());

// A record claiming more than the file holds, a bitmap header with a huge
// width: both stop or skip without taking memory for them.
TEST(MetafileDamage, LyingSizesTakeNoMemory) {
  test::Bytes emf = test::ReadMetafile("libgdiplus/test.emf");
  ASSERT_GT(emf.size(), 200u);
  const std::size_t second = ReadU32LE(emf, 4);
  emf[second + 4] = 0xFF, emf[second + 5] = 0xFF, emf[second + 6] = 0xFF, emf[second + 7] = 0x7F;
  EXPECT_FALSE(test::DrawsOrRefusesCleanly(emf));
  EXPECT_TRUE(test::DrawsOrRefusesCleanly(test::ReadMetafile("libemf2svg/emf-corrupted/bad_corrupted_2016-02-02-225639.emf")));
}

}  // namespace
}  // namespace plendo::codecs
