// The catalogue's own invariants, and that QDLT brings every language's form of every entry to every language.

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "language_fixture.h"
#include "ui/english_catalog.h"
#include "ui/localisation.h"

namespace {

// The printf placeholders of a text in order ("%02ld", "%@", "%%"). A "%" that starts none is plain text, as in
// "Scale %".
std::vector<std::string> placeholders(std::string_view text) {
  std::vector<std::string> found;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    std::size_t j = i + 1;
    while (j < text.size() && (std::isdigit(static_cast<unsigned char>(text[j])) || std::strchr("-+ #.lh", text[j]))) ++j;
    if (j < text.size() && std::strchr("@%dilufsxXc", text[j])) {
      found.emplace_back(text.substr(i, j - i + 1));
      i = j;
    }
  }
  return found;
}

std::string_view englishOf(std::string_view key) {
  for (const QDLCatalogEntry& e : QDLEnglishCatalog()) {
    if (e.key == key) return e.english;
  }
  return {};
}

TEST(Catalog, KeysAreUniqueAndAscendingByCodePoint) {
  const auto catalog = QDLEnglishCatalog();
  ASSERT_FALSE(catalog.empty());
  for (std::size_t i = 1; i < catalog.size(); ++i) {
    // std::string_view compares bytes as unsigned, which for UTF-8 is code-point order.
    EXPECT_LT(catalog[i - 1].key, catalog[i].key) << "at entry " << i;
  }
}

TEST(Catalog, BothTextsCarryTheSamePlaceholdersInTheSameOrder) {
  for (const QDLCatalogEntry& e : QDLEnglishCatalog()) {
    EXPECT_EQ(placeholders(e.key), placeholders(e.english)) << e.key;
  }
  // The scanner itself, on the catalogue's kinds of placeholder.
  EXPECT_EQ(placeholders("%02ld·%@%%；%lu %.1f %.0f %d 100%，"),
            (std::vector<std::string>{"%02ld", "%@", "%%", "%lu", "%.1f", "%.0f", "%d"}));
}

TEST(Catalog, NoKeyIsAnEnglishTextAndOnlyOkIsShared) {
  std::set<std::string_view> keys;
  std::map<std::string_view, std::vector<std::string_view>> byEnglish;
  for (const QDLCatalogEntry& e : QDLEnglishCatalog()) {
    keys.insert(e.key);
    byEnglish[e.english].push_back(e.key);
  }
  for (const auto& [english, owners] : byEnglish) {
    EXPECT_FALSE(keys.count(english)) << english;
    if (english == "OK") {
      EXPECT_EQ(owners, (std::vector<std::string_view>{"好", "确定"}));
    } else {
      EXPECT_EQ(owners.size(), 1u) << english;
    }
  }
}

TEST(Catalog, KeepsTextsExactlyAsTheWindowsWriteThem) {
  struct Case {
    std::string_view key, english;
  };
  const Case cases[] = {
      {"当前没有适用于本机的更高版本。\n当前版本：%@", "No newer compatible version.\nCurrent version: %@"},
      {"默认命令    QUODL", "Default command    QUODL"},
      {"打印样式“%@”不适用于此 DWG 或不可用，请检查 CTB/STB。",
       "Plot style \"%@\" is incompatible with this DWG or unavailable. Check CTB/STB."},
      {"CAD 批量输出", "CAD duzoz aredting"},
      {"%@ · %@ · %@ · 比例 %@%%", "%@ · %@ · %@ · Scale %@%%"},
      {"；这会导致尺寸数字漏印，请重新运行安装包。", "; dimension text may be missing. Reinstall the plugin."},
      {"关于 Ferrolin 批打工具", "About Ferrolin Duzoz Ared"},
      {"Ferrolin 批打工具", "Ferrolin Duzoz Ared"},
      {"Ferrolin 批打工具 %@", "Ferrolin Duzoz Ared %@"},
      {"Ferrolin 批打工具进度", "Ferrolin Duzoz Ared progress"},
  };
  for (const Case& c : cases) EXPECT_EQ(englishOf(c.key), c.english) << c.key;
}

using CatalogRoundTrip = ui_test::LanguageTest;

// Every entry, given as its key, its English or its Traditional form, comes out as that entry's text in each
// language; "OK" is the one English shared by two keys and reads back as "确定".
TEST_F(CatalogRoundTrip, EveryFormOfEveryEntryReachesEveryLanguage) {
  struct Forms {
    std::string zh, en, hant;
  };
  std::vector<Forms> entries;
  for (const QDLCatalogEntry& e : QDLEnglishCatalog()) {
    entries.push_back({std::string(e.key), std::string(e.english), QDLTraditional(e.key)});
  }
  for (const std::string language : {"zh", "zh-Hant", "en"}) {
    useLanguage(language);
    auto expected = [&](const Forms& f) { return language == "en" ? f.en : language == "zh" ? f.zh : f.hant; };
    for (const Forms& f : entries) {
      const Forms& viaEnglish = f.en == "OK" ? Forms{"确定", "OK", QDLTraditional("确定")} : f;
      EXPECT_EQ(QDLT(f.zh), expected(f)) << language << " from " << f.zh;
      EXPECT_EQ(QDLT(f.hant), expected(f)) << language << " from " << f.hant;
      EXPECT_EQ(QDLT(f.en), expected(viaEnglish)) << language << " from " << f.en;
    }
  }
}

}  // namespace
