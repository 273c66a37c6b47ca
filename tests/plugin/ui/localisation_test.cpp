// The stored language, its resolution, QDLT outside the round trip, and QDLL.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "foundation/notification_center.h"
#include "foundation/user_defaults.h"
#include "language_fixture.h"
#include "ui/localisation.h"

namespace {

using ui_test::LanguageTest;

// Counts QDLLanguageChanged while it lives.
class ChangeCounter {
 public:
  ChangeCounter()
      : observer_(foundation::NotificationCenter::defaultCenter(),
                  foundation::NotificationCenter::defaultCenter().addObserver(
                      QDLLanguageChanged, nullptr, [this](const foundation::Notification& n) {
                        ++count;
                        if (n.object != nullptr || !n.userInfo.empty()) ++withPayload;
                      })) {}
  int count = 0;
  int withPayload = 0;

 private:
  foundation::ScopedObserver observer_;
};

std::optional<std::string> storedCode() {
  return foundation::UserDefaults::standard().stringForKey("Quodline.Language");
}

TEST_F(LanguageTest, StoresEachOfTheFourCodesAndPostsEveryTime) {
  EXPECT_EQ(QDLLanguagePreference(), "auto");
  ChangeCounter changes;
  int posts = 0;
  for (const char* code : {"zh", "zh-Hant", "en", "en", "auto"}) {
    EXPECT_TRUE(QDLSetLanguagePreference(code)) << code;
    EXPECT_EQ(changes.count, ++posts) << "setting the same code again posts again";
    EXPECT_EQ(QDLLanguagePreference(), code);
  }
  EXPECT_EQ(changes.withPayload, 0);
  // The choice outlives the process: a fresh read of the defaults finds it.
  foundation::UserDefaults::resetForTesting();
  EXPECT_EQ(storedCode(), "auto");
}

TEST_F(LanguageTest, RefusesAnythingButTheFourCodes) {
  useLanguage("zh-Hant");
  ChangeCounter changes;
  for (const std::optional<std::string>& code :
       std::vector<std::optional<std::string>>{std::nullopt, "", "fr", "ZH", "zh-hant", "zh-Hans", " en"}) {
    EXPECT_FALSE(QDLSetLanguagePreference(code)) << code.value_or("nil");
  }
  EXPECT_EQ(changes.count, 0);
  EXPECT_EQ(storedCode(), "zh-Hant");
}

TEST_F(LanguageTest, StoredValuesOtherThanTheCodesReadAsAuto) {
  auto& defaults = foundation::UserDefaults::standard();
  for (const foundation::DefaultsValue& value :
       {foundation::DefaultsValue{std::string("fr")}, foundation::DefaultsValue{std::string("ZH")},
        foundation::DefaultsValue{std::string("zh ")}, foundation::DefaultsValue{std::int64_t{1}},
        foundation::DefaultsValue{true}, foundation::DefaultsValue{std::vector<std::string>{"zh"}}}) {
    defaults.setObject(value, "Quodline.Language");
    EXPECT_EQ(QDLLanguagePreference(), "auto");
  }
}

TEST_F(LanguageTest, ResolvesStoredAndAutomaticPreferences) {
  struct Case {
    std::optional<std::string> stored;  // nullopt: nothing stored
    std::vector<std::string> preferred;
    std::string resolved;
  };
  const Case cases[] = {
      {"zh", {"en-US"}, "zh"},
      {"zh-Hant", {"zh-Hans-CN"}, "zh-Hant"},
      {"en", {"zh-Hans-CN"}, "en"},
      {"auto", {"zh-Hans-CN"}, "zh"},
      {"auto", {"zh-Hant-TW"}, "zh-Hant"},
      {"auto", {"zh-HK"}, "zh-Hant"},
      {"auto", {"zh-TW"}, "zh-Hant"},
      {"auto", {"zh"}, "zh"},
      // An explicit script decides before the region.
      {"auto", {"zh-Hans-HK"}, "zh"},
      {"auto", {"zh-Hans-TW"}, "zh"},
      {"auto", {"zh-Hant-CN"}, "zh-Hant"},
      {"auto", {"ZH-HANT"}, "zh-Hant"},
      {"auto", {"ja-JP"}, "en"},
      {"auto", {"fr-TW"}, "en"},
      {"auto", {}, "en"},
      // Only the first preferred language counts.
      {"auto", {"en-GB", "zh-Hans-CN"}, "en"},
      {"auto", {"zh-Hant-TW", "en"}, "zh-Hant"},
      {std::nullopt, {"zh-Hant-TW"}, "zh-Hant"},
      {"fr", {"zh-Hans-CN"}, "zh"},
      {"ZH", {"ja-JP"}, "en"},
  };
  for (const Case& c : cases) {
    if (c.stored) foundation::UserDefaults::standard().setString(*c.stored, "Quodline.Language");
    else foundation::UserDefaults::standard().removeObjectForKey("Quodline.Language");
    preferLanguages(c.preferred);
    EXPECT_EQ(QDLResolvedLanguage(), c.resolved)
        << c.stored.value_or("nothing") << " with " << (c.preferred.empty() ? "no languages" : c.preferred[0]);
  }
}

TEST_F(LanguageTest, TranslationFollowsAChangedPreferenceAtOnce) {
  useLanguage("auto");
  preferLanguages({"zh-Hant-TW"});
  EXPECT_EQ(QDLT("设置"), "設置");
  preferLanguages({"ja-JP"});
  EXPECT_EQ(QDLT("设置"), "Settings");
  useLanguage("zh");
  EXPECT_EQ(QDLT("Settings"), "设置");
}

TEST_F(LanguageTest, TranslatesCatalogueTextsAndLeavesOthersAsWritten) {
  struct Case {
    std::string language, text, expected;
  };
  const Case cases[] = {
      {"en", "", ""},
      {"en", "取消", "Cancel"},
      {"en", "Cancel", "Cancel"},
      {"en", "設置", "Settings"},
      {"en", "好", "OK"},
      {"en", "当前没有适用于本机的更高版本。\n当前版本：%@", "No newer compatible version.\nCurrent version: %@"},
      {"en", "图纸 A1-01", "图纸 A1-01"},
      {"zh", "", ""},
      {"zh", "Cancel", "取消"},
      {"zh", "OK", "确定"},
      {"zh", "好", "好"},
      {"zh", "圖紙列表", "图纸列表"},
      {"zh", "Sheet A1-01", "Sheet A1-01"},
      {"zh-Hant", "设置", "設置"},
      {"zh-Hant", "Sheets", "圖紙列表"},
      {"zh-Hant", "取消", "取消"},
      // Outside the catalogue a Simplified text is not transformed.
      {"zh-Hant", "这是图纸", "这是图纸"},
      // Texts only near a catalogue text are not it.
      {"en", "取消 ", "取消 "},
      {"en", "cancel", "cancel"},
  };
  for (const Case& c : cases) {
    useLanguage(c.language);
    EXPECT_EQ(QDLT(c.text), c.expected) << c.language << ": " << c.text;
  }
}

TEST_F(LanguageTest, QDLLPicksTheCallersOwnWording) {
  struct Case {
    std::string language;
    std::optional<std::string_view> hant;
    std::string expected;
  };
  const Case cases[] = {
      {"zh", "切換介面", "切换界面"},
      {"zh", std::nullopt, "切换界面"},
      {"en", "切換介面", "Switch view"},
      {"en", std::nullopt, "Switch view"},
      {"zh-Hant", "切換介面", "切換介面"},
      // Without a Traditional wording, the transform of the Simplified one.
      {"zh-Hant", std::nullopt, "切換界面"},
  };
  for (const Case& c : cases) {
    useLanguage(c.language);
    // "Switch view" is not the catalogue's English of "切换界面": QDLL never looks there.
    EXPECT_EQ(QDLL("切换界面", "Switch view", c.hant), c.expected) << c.language;
  }
  // Under "zh-Hant" the transform applies to texts outside the catalogue too, unlike QDLT.
  useLanguage("zh-Hant");
  EXPECT_EQ(QDLL("这是图纸", "This is a drawing"), "這是圖紙");
}

TEST(Traditional, ConvertsByCharacterAndQuotesToCornerBrackets) {
  EXPECT_EQ(QDLTraditional("设置"), "設置");
  EXPECT_EQ(QDLTraditional("图纸列表"), "圖紙列表");
  EXPECT_EQ(QDLTraditional("取消"), "取消");
  EXPECT_EQ(QDLTraditional("点击“定位”"), "點擊「定位」");
  EXPECT_EQ(QDLTraditional(""), "");
}

}  // namespace
