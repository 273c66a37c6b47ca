// What the panels say in cadhost, read back with @read and rendered into the build tree for a look: the queue
// panel's stop button is named by its new title while a search runs; a status that ends in a reason keeps the
// reason in sight and the whole text in its tooltip; "Follow CAD" follows the languages of the locale settings,
// and a script picks the languages, the reverse scrolling and the compact panel's menu items by identifier.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "cadhost_run.h"
#include "foundation/files.h"
#include "foundation/json.h"
#include "small_volume.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;

const std::string kLayouts = std::string(QUODL_SAMPLES) + "/layouts-frames.dxf";

class PanelTextsScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {".config/quodline/defaults", ".config/quodline-host", "tmp", "data", "out", "styles"}) {
      ASSERT_TRUE(foundation::createDirectory(home_ / folder, true));
    }
    ASSERT_TRUE(foundation::createDirectory(renderings_, true));
    // The host's plot styles in the scratch home, where the compact panel's monochrome style gets installed.
    ASSERT_TRUE(foundation::writeFileAtomically(home_ / ".config/quodline-host/environment.json",
                                                R"({"PrinterStyleSheetDir": ")" + home_ / "styles" + R"("})"));
  }

  void writeDefaults(const std::string& json) const {
    ASSERT_TRUE(foundation::writeFileAtomically(home_ / ".config/quodline/defaults/standard.json", json));
  }

  foundation::Json defaults() const {
    return foundation::parseJson(foundation::readFile(home_ / ".config/quodline/defaults/standard.json").data).value;
  }

  // The locale settings are the test's own: none is inherited.
  CadhostRun run(const std::string& script, const std::vector<std::string>& drawings,
                 const std::vector<std::pair<std::string, std::string>>& locale = {{"LANG", "C.UTF-8"}}) const {
    EXPECT_TRUE(foundation::writeFileAtomically(home_ / "script.txt", script));
    RunOptions options;
    options.environment = {{"HOME", home_.path()},
                           {"XDG_CONFIG_HOME", home_ / ".config"},
                           {"XDG_DATA_HOME", home_ / "data"},
                           {"TMPDIR", home_ / "tmp"},
                           {"XDG_RUNTIME_DIR", home_ / "run"},
                           {"LANG", ""},
                           {"LANGUAGE", ""},
                           {"LC_ALL", ""},
                           {"LC_MESSAGES", ""}};
    for (const auto& [name, value] : locale) {
      for (auto& entry : options.environment) {
        if (entry.first == name) entry.second = value;
      }
    }
    // The module as the bundle lays it out, beside the resources it ships.
    std::vector<std::string> arguments = {"--no-autoload", "--load",
                                          std::string(QUODL_BUNDLE_DIR) + "/Contents/Linux/Quodline.so", "--script",
                                          home_ / "script.txt"};
    arguments.insert(arguments.end(), drawings.begin(), drawings.end());
    return runProgram(QUODL_CADHOST, arguments, "", options);
  }

  static void expectEveryLineWorked(const CadhostRun& r) {
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    for (const char* failure : {"No window", "No view", "\" shows \"", "Usage:", "Unknown", "is covered", "is hidden",
                                "shows no menu", "has no item", "Queued work failed"}) {
      EXPECT_EQ(r.output.find(failure), std::string::npos) << failure << "\n" << r.output;
    }
  }

  std::string png(const std::string& name) const { return renderings_ + "/" + name + ".png"; }

  ScratchHome home_;
  const std::string renderings_ = std::string(QUODL_RENDERINGS_DIR) + "/panel-texts";
};

// While a search runs the stop button reads "Cancel scan", and so does its accessibility label, in each language.
// The folder is large enough that the search is still running when the next line reads the button.
TEST_F(PanelTextsScriptTest, TheQueueStopButtonIsNamedByItsTitleWhileASearchRuns) {
  const std::string folder = home_ / "many";
  ASSERT_TRUE(foundation::createDirectory(folder, true));
  for (int i = 0; i < 5000; ++i) std::ofstream(folder + "/note-" + std::to_string(i) + ".txt").put('x');
  const struct {
    const char* language;
    const char* title;
  } cases[] = {{"zh", "取消扫描"}, {"en", "Cancel scan"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language);
    writeDefaults(std::string(R"({"Quodline.Language": ")") + c.language + "\"}");
    const std::string picture = png(std::string("01-queue-scanning-") + c.language);
    const CadhostRun r = run("DUZOZAREDFILES\n@file \"" + folder +
                                 "\"\n@click fileQueuePanel addFolder\n"
                                 "@read fileQueuePanel cancelButton\n@render fileQueuePanel \"" +
                                 picture + "\"\nQUIT\n",
                             {kLayouts});
    expectEveryLineWorked(r);
    EXPECT_NE(r.output.find(std::string("cancelButton: ") + c.title + "\ncancelButton label: " + c.title + "\n"),
              std::string::npos)
        << r.output;
    std::cout << "[ panel texts ] " << picture << "\n";
  }
}

// The compact panel's export into a folder that cannot be written: the status line says why, with the folder's
// path cut in its middle where the line is too short, and its tooltip holds the whole text.
TEST_F(PanelTextsScriptTest, TheCompactPanelsFailureKeepsItsReasonInSight) {
  SmallVolume volume(home_ / "out/read-only drawings output folder of the site office", 1 << 20);
  SKIP_UNLESS_MOUNTED(volume);
  ASSERT_TRUE(volume.setReadOnly(true));
  writeDefaults(R"({"Quodline.Language": "en"})");
  const std::string picture = png("02-compact-folder-refused");
  const CadhostRun r = run("DUZOZAREDLITE\n@file \"" + volume.path() +
                               "\"\n@click batchPrintLite output\n"
                               "@read batchPrintLite status\n@render batchPrintLite \"" +
                               picture + "\"\nQUIT\n",
                           {kLayouts});
  expectEveryLineWorked(r);
  const std::string shown = "status: Cannot create folder \"" + volume.path() + "/Ferrolin-PDF-";
  const std::size_t at = r.output.find(shown);
  ASSERT_NE(at, std::string::npos) << r.output;
  const std::string line = r.output.substr(at, r.output.find('\n', at) - at);
  EXPECT_TRUE(line.ends_with("\": Read-only file system")) << line;
  EXPECT_NE(r.output.find("status tooltip: " + line.substr(std::string("status: ").size()) + "\n"), std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("DUZOZAREDLITEEXEC=FAIL"), std::string::npos) << r.output;
  std::cout << "[ panel texts ] " << picture << "\n";
}

// A merged queue run in English with a drawing that cannot be read: the status line says, whole, that no
// combined PDF was made and where the finished ones are.
TEST_F(PanelTextsScriptTest, TheEnglishQueueStatusOfAnUnfinishedMergedRunShowsWhole) {
  const std::string drawings = home_ / "drawings";
  ASSERT_TRUE(foundation::createDirectory(drawings, true));
  fs::copy_file(kLayouts, drawings + "/Plan.dwg");
  ASSERT_TRUE(foundation::writeFileAtomically(drawings + "/Damaged.dwg", ""));
  writeDefaults(R"({"Quodline.Language": "en"})");
  const std::string picture = png("03-queue-merged-unfinished-en");
  const CadhostRun r = run("DUZOZAREDFILES\n@file \"" + drawings +
                               "\"\n@click fileQueuePanel addFolder\n"
                               "DELAY\n1500\n@wait fileQueuePanel status \"2 DWGs\"\n"
                               "@choose fileQueuePanel outputMode \"#3\"\n"
                               "@file \"" +
                               home_ / "out" +
                               "\"\n@click fileQueuePanel chooseOutput\n"
                               "@click fileQueuePanel startButton\nDELAY\n0\n"
                               "@read fileQueuePanel status\n@render fileQueuePanel \"" +
                               picture + "\"\nQUIT\n",
                           {kLayouts});
  expectEveryLineWorked(r);
  EXPECT_NE(r.output.find("status: Some drawings did not finish; no combined PDF was made. Finished PDFs stay in "
                          "their folders.\n"),
            std::string::npos)
      << r.output;
  std::cout << "[ panel texts ] " << picture << "\n";
}

// "Follow CAD" takes the first language of the locale settings that the plug-in speaks, as the system reads them.
TEST_F(PanelTextsScriptTest, FollowCadFollowsTheLanguagesOfTheLocaleSettings) {
  writeDefaults("{}");
  const struct {
    std::vector<std::pair<std::string, std::string>> locale;
    const char* status;
  } cases[] = {
      {{{"LANG", "zh_TW.UTF-8"}}, "獨立 PDF"},
      {{{"LANG", "C.UTF-8"}, {"LANGUAGE", "zh_CN:en"}}, "独立 PDF"},
      {{{"LANG", "en_GB.UTF-8"}, {"LC_MESSAGES", "zh_HK.UTF-8"}}, "獨立 PDF"},
      {{{"LANG", "C"}, {"LANGUAGE", "zh_CN"}}, "Separate PDFs"},
      {{{"LANG", "de_DE.UTF-8"}}, "Separate PDFs"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    const CadhostRun r = run("DUZOZAREDLITE\n@read batchPrintLite status\nQUIT\n", {kLayouts}, c.locale);
    expectEveryLineWorked(r);
    EXPECT_NE(r.output.find(std::string("status: ") + c.status + "\n"), std::string::npos) << r.output;
  }
}

// A script does what a person does with the language pop-up, the reverse-scroll check box and the compact panel's
// menu, by their identifiers.
TEST_F(PanelTextsScriptTest, AScriptPicksLanguagesReverseScrollingAndMenuItemsByIdentifier) {
  writeDefaults("{}");
  const std::string script =
      "QUODL\n@click batchPrintPanel settingsPage\n@read batchPrintPanel language\n"
      "@choose batchPrintPanel language English\n@click batchPrintPanel reverseScroll\n"
      "@render batchPrintPanel \"" +
      png("04-settings-english") +
      "\"\n@read batchPrintPanel language\n"
      "DUZOZAREDLITE\n@choose batchPrintLite settings \"Language > 繁體中文\"\n@read batchPrintLite status\n"
      "@choose batchPrintLite settings \"language > auto\"\n@read batchPrintLite status\n"
      "@render batchPrintLite \"" +
      png("05-compact-following-cad") +
      "\"\n"
      "@choose batchPrintLite settings \"language > Klingon\"\nQUIT\n";
  const CadhostRun r = run(script, {kLayouts}, {{"LANG", "zh_CN.UTF-8"}});
  ASSERT_EQ(r.exitStatus, 0) << r.output;
  // Following CAD, the panel starts in Simplified Chinese.
  EXPECT_NE(r.output.find("language: 跟随 CAD\nlanguage label: 语言\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("language: English\nlanguage label: Language\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("status: 獨立 PDF\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("status: 独立 PDF\n"), std::string::npos) << r.output;
  // An item the menu does not have is reported, and nothing is chosen.
  EXPECT_NE(r.output.find("The menu of \"settings\" has no item \"language > Klingon\" to choose."), std::string::npos)
      << r.output;
  const foundation::Json saved = defaults();
  EXPECT_EQ(saved.value("Quodline.ReverseScroll", false), true);
  EXPECT_EQ(saved.value("Quodline.Language", std::string()), "auto");
  for (const char* name : {"04-settings-english", "05-compact-following-cad"}) {
    std::cout << "[ panel texts ] " << png(name) << "\n";
  }
}

}  // namespace
