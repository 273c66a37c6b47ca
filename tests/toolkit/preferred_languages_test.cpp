// The preferred languages read from the locale settings as the system reads them.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "toolkit/preferred_languages.h"

namespace {

using Languages = std::vector<std::string>;

TEST(PreferredLanguagesTest, LanguageListsComeFirstUnlessTheMessagesLocaleIsC) {
  const struct {
    std::map<std::string, std::string> environment;
    Languages expected;
  } cases[] = {
      {{}, {"en"}},
      {{{"LANG", "zh_CN.UTF-8"}}, {"zh-CN"}},
      {{{"LANG", "C.UTF-8"}}, {"en"}},
      {{{"LANG", "POSIX"}}, {"en"}},
      {{{"LANG", "de_DE@euro"}}, {"de-DE"}},
      // LC_ALL before LC_MESSAGES before LANG.
      {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "zh_HK.UTF-8"}}, {"zh-HK"}},
      {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "zh_HK.UTF-8"}, {"LC_ALL", "zh_TW.Big5"}}, {"zh-TW"}},
      // LANGUAGE's list in order, empty and C entries skipped.
      {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "zh_TW:C::en"}}, {"zh-TW", "en"}},
      {{{"LANG", "C.UTF-8"}, {"LANGUAGE", "zh_Hant_TW"}}, {"zh-Hant-TW"}},
      // The C locale ignores LANGUAGE, and so does a locale that is not set at all.
      {{{"LANG", "C"}, {"LANGUAGE", "zh_TW"}}, {"en"}},
      {{{"LANGUAGE", "zh_TW"}}, {"en"}},
      {{{"LANG", "zh_CN.UTF-8"}, {"LANGUAGE", "C"}}, {"zh-CN"}},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const auto& [name, value] : c.environment) shown += name + "=" + value + " ";
    SCOPED_TRACE(shown);
    const Languages languages = toolkit::preferredLanguagesFromEnvironment([&](const char* name) -> const char* {
      const auto it = c.environment.find(name);
      return it == c.environment.end() ? nullptr : it->second.c_str();
    });
    EXPECT_EQ(languages, c.expected);
  }
}

}  // namespace
