#include "foundation/transforms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace foundation {
namespace {

TEST(Transforms, SimplifiedToTraditional) {
  EXPECT_EQ(simplifiedToTraditional("设置"), "設置");
  EXPECT_EQ(simplifiedToTraditional("图纸列表"), "圖紙列表");
  EXPECT_EQ(simplifiedToTraditional("取消"), "取消");
  EXPECT_EQ(simplifiedToTraditional("点击“定位”。"), "點擊「定位」。");
  EXPECT_EQ(simplifiedToTraditional("A3 %@ 100%"), "A3 %@ 100%");
  EXPECT_EQ(simplifiedToTraditional(""), "");
  EXPECT_EQ(simplifiedToTraditional("图\xFF"), "圖\xEF\xBF\xBD");
}

TEST(Transforms, NormalisationAndCase) {
  EXPECT_EQ(normalizedNFC("e\xCC\x81"), "\xC3\xA9");  // e + combining acute → é
  EXPECT_EQ(normalizedNFC("\xC3\xA9"), "\xC3\xA9");
  EXPECT_EQ(lowercased("ÄBC Sheet İ"), "äbc sheet i\xCC\x87");  // full mapping: İ → i + dot above
  EXPECT_EQ(lowercased("ΣΑΣ"), "σας");                          // final sigma
  EXPECT_EQ(caseFolded("Straße"), "strasse");
  EXPECT_TRUE(containsIgnoringCase("Layout1 ｜ A3 STRASSE", "straße"));
  EXPECT_TRUE(containsIgnoringCase("图框 Frame", "FRAME"));
  EXPECT_TRUE(containsIgnoringCase("x", ""));
  EXPECT_FALSE(containsIgnoringCase("Frame", "frames"));
  EXPECT_EQ(trimmedWhitespace("\u3000 \t图纸\n\u00A0"), "图纸");
  EXPECT_EQ(trimmedWhitespace(" \n "), "");
}

TEST(Transforms, NaturalCompare) {
  const struct {
    const char* a;
    const char* b;
    int expected;
  } cases[] = {
      {"Sheet 2", "Sheet 10", -1}, {"Sheet 10", "Sheet 2", 1}, {"a", "A", 0},     {"A2", "a10", -1},
      {"file9.pdf", "file09.pdf", 0}, {"", "a", -1},           {"abc", "abd", -1}, {"e", "é", -1},
      {"Layout1", "Layout1", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(naturalCompare(c.a, c.b), c.expected) << c.a << " vs " << c.b;
}

TEST(Transforms, NaturalOrderIsAStrictWeakOrdering) {
  std::vector<std::string> names = {"Sheet 10", "sheet 2", "Sheet 1", "SHEET 2", "Sheet 02", "图纸 3", "图纸 21",
                                    "a", "A", "b", "", "10", "9", "\xFF", "x\xFE", "Ä", "ä1", "a1"};
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    std::shuffle(names.begin(), names.end(), random);
    std::stable_sort(names.begin(), names.end(), naturalLess);
    ASSERT_TRUE(std::is_sorted(names.begin(), names.end(), naturalLess));
  }
  // Irreflexive, antisymmetric and transitive over every triple.
  for (const auto& a : names) {
    EXPECT_FALSE(naturalLess(a, a));
    for (const auto& b : names) {
      EXPECT_EQ(naturalCompare(a, b), -naturalCompare(b, a));
      for (const auto& c : names) {
        if (naturalLess(a, b) && naturalLess(b, c)) {
          EXPECT_TRUE(naturalLess(a, c));
        }
        if (naturalCompare(a, b) == 0 && naturalCompare(b, c) == 0) {
          EXPECT_EQ(naturalCompare(a, c), 0);
        }
      }
    }
  }
  const auto at = [&](const std::string& name) { return std::find(names.begin(), names.end(), name) - names.begin(); };
  EXPECT_LT(at("Sheet 1"), at("sheet 2"));
  EXPECT_LT(at("sheet 2"), at("Sheet 10"));
  EXPECT_LT(at("9"), at("10"));
}

}  // namespace
}  // namespace foundation
