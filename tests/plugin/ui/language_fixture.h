#pragma once
// Each test starts with no stored language (user defaults in a private folder) and a fresh application whose
// preferred languages the test sets.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/user_defaults.h"
#include "temp_folder.h"
#include "toolkit/application.h"
#include "ui/localisation.h"

namespace ui_test {

class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::UserDefaults::setRootForTesting(folder_ / "defaults");
    toolkit::Application::shared().resetForTesting();
  }
  void TearDown() override {
    toolkit::Application::shared().resetForTesting();
    foundation::UserDefaults::setRootForTesting("");
  }

  static void useLanguage(const std::string& code) { ASSERT_TRUE(QDLSetLanguagePreference(code)) << code; }
  static void preferLanguages(std::vector<std::string> languages) {
    toolkit::Application::shared().setPreferredLanguages(std::move(languages));
  }

  TempFolder folder_{"quodl-ui"};
};

}  // namespace ui_test
