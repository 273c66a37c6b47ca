#pragma once
// cadhost run as a person runs it, for the tests of faults a user meets: a private home (settings, data and
// temporary folders inside it), a working folder of its own (where a path that is not absolute would land), the
// interface in English so that reasons read as written, and the host's plot styles in the home.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cadhost_run.h"
#include "foundation/files.h"
#include "test_files.h"

class FaultScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {".config/quodline/defaults", ".config/quodline-host", "tmp", "data", "out", "work",
                               "styles", "drawings"}) {
      ASSERT_TRUE(foundation::createDirectory(home_ / folder, true));
    }
    home = std::filesystem::canonical(home_.path()).string();
    writeDefaults("");
    ASSERT_TRUE(foundation::writeFileAtomically(home_ / ".config/quodline-host/environment.json",
                                                R"({"PrinterStyleSheetDir": ")" + home_ / "styles" + R"("})"));
  }

  // The user's settings: the English interface and `more` ("key": value, …) beside it.
  void writeDefaults(const std::string& more) const {
    const std::string json = R"({"Quodline.Language": "en")" + (more.empty() ? "" : ", " + more) + "}";
    ASSERT_TRUE(foundation::writeFileAtomically(home_ / ".config/quodline/defaults/standard.json", json));
  }

  RunOptions options() const {
    RunOptions o;
    o.workingDirectory = home_ / "work";
    o.environment = {{"HOME", home_.path()},
                     {"XDG_CONFIG_HOME", home_ / ".config"},
                     {"XDG_DATA_HOME", home_ / "data"},
                     {"TMPDIR", home_ / "tmp"},
                     {"XDG_RUNTIME_DIR", home_ / "run"}};
    return o;
  }

  // The test probe and the module as its bundle lays it out (beside the resources it ships) loaded, the script
  // run, then the drawings opened.
  std::vector<std::string> arguments(const std::vector<std::string>& drawings, const std::string& script = {}) const {
    std::vector<std::string> list = {"--no-autoload", "--load", QUODL_PROBE, "--load",
                                     std::string(QUODL_BUNDLE_DIR) + "/Contents/Linux/Quodline.so"};
    if (!script.empty()) list.insert(list.end(), {"--script", script});
    list.insert(list.end(), drawings.begin(), drawings.end());
    return list;
  }

  CadhostRun run(const std::string& script, const std::vector<std::string>& drawings) const {
    EXPECT_TRUE(foundation::writeFileAtomically(home_ / "script.txt", script));
    return runProgram(QUODL_CADHOST, arguments(drawings, home_ / "script.txt"), "", options());
  }

  // Every file and folder below `folder`, relative to it, sorted; empty when it is no folder.
  static std::vector<std::string> everythingIn(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) return found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
      if (entry.path().filename() == kLayoutCandidateTraceName) continue;
      found.push_back(std::filesystem::relative(entry.path(), folder).string());
    }
    std::sort(found.begin(), found.end());
    return found;
  }

  ScratchHome home_;
  std::string home;  // its canonical path
};
