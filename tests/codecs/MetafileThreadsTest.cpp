// Metafiles played on several threads at once, as the batch's workers play
// them.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

#include "MetafileBuilder.h"
#include "MetafileFiles.h"

namespace plendo::codecs {
namespace {

using test::EmfBuilder;

// A line in every installed family with a plain ASCII name, upright and bold
// italic, some of its characters from fallback fonts; 300 pixels wide.
struct TextPage {
  test::Bytes emf;
  int height;
};

TextPage TextInEveryFamily() {
  const std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> wanted(FcObjectSetBuild(FC_FAMILY, nullptr),
                                                                          FcObjectSetDestroy);
  const std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> any(FcPatternCreate(), FcPatternDestroy);
  const std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> fonts(FcFontList(nullptr, any.get(), wanted.get()),
                                                                      FcFontSetDestroy);
  std::vector<std::u16string> families;
  for (int i = 0; fonts && i < fonts->nfont; ++i) {
    FcChar8* name = nullptr;
    if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &name) != FcResultMatch) continue;
    const std::string family(reinterpret_cast<const char*>(name));
    if (family.size() < 32 && std::all_of(family.begin(), family.end(),
                                          [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
      families.emplace_back(family.begin(), family.end());
  }

  const int height = 20 * static_cast<int>(2 * families.size() + 1);
  EmfBuilder e(300, height);
  e.Add(18, {1});  // SETBKMODE transparent
  int y = 0;
  for (const std::u16string& family : families) {
    e.Font(family, 16).Text(4, y += 20, u"Ag\u6CD5\u2654");
    // The same face again, bold (weight 700) and italic.
    test::Bytes name = test::RecordWriter().Utf16(family).Data();
    name.resize(64, 0);
    e.Add(82, {2, static_cast<std::uint32_t>(-16), 0, 0, 0, 700, 1u | 1u << 24, 0}, name).Add(37, {2});
    e.Text(4, y += 20, u"Ag\u6CD5\u2654");
  }
  return {e.Finish(), height};
}

// cairo opens the faces of every thread's fonts through one FreeType library,
// which crashed when several threads drew text in many families at once.
TEST(MetafileThreads, TextInManyFamiliesDrawsWhatOneThreadDraws) {
  const TextPage page = TextInEveryFamily();
  const platform::Bitmap alone = test::DrawOnWhite(page.emf, 300, page.height);
  std::vector<double> differences(4, -1);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < differences.size(); ++t)
    threads.emplace_back([&, t] {
      double worst = 0;
      for (int round = 0; round < 3; ++round)
        worst = std::max(worst, test::MeanDifference(test::DrawOnWhite(page.emf, 300, page.height), alone));
      differences[t] = worst;
    });
  for (std::thread& t : threads) t.join();
  for (double d : differences) EXPECT_EQ(d, 0);
}

}  // namespace
}  // namespace plendo::codecs
