// The full panel's ways to the other windows in cadhost, clicked by a script as a person clicks them: the
// compact panel and back, the start-command settings and back, the update check, the uninstaller application
// through the workspace, and the drawing-file queue. The helper module says which windows are on screen after
// each, and what the workspace was asked to open; the panel and the windows it leads to are rendered into the
// build tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cadhost_run.h"
#include "foundation/files.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;

const std::string kLayouts = std::string(QUODL_SAMPLES) + "/layouts-frames.dxf";

bool inOrder(const std::string& text, const std::vector<std::string>& parts, std::string* missing) {
  std::size_t at = 0;
  for (const std::string& part : parts) {
    at = text.find(part, at);
    if (at == std::string::npos) {
      *missing = part;
      return false;
    }
    at += part.size();
  }
  return true;
}

class FullPanelLinksScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(foundation::createDirectory(home_ / ".config/quodline/defaults", true));
    ASSERT_TRUE(foundation::createDirectory(home_ / "tmp", true));
    // Simplified Chinese, and frames recognised on the layer FRAME, which the status shows.
    ASSERT_TRUE(foundation::writeFileAtomically(
        home_ / ".config/quodline/defaults/standard.json",
        R"({"Quodline.Language": "zh", "Quodline.RecognitionMode": 1, "Quodline.FrameLayer": "FRAME"})"));
  }

  CadhostRun run(const std::string& script) const {
    EXPECT_TRUE(foundation::writeFileAtomically(home_ / "script.txt", script));
    RunOptions options;
    options.environment = {{"HOME", home_.path()},
                           {"XDG_CONFIG_HOME", home_ / ".config"},
                           {"XDG_DATA_HOME", home_ / "data"},
                           {"TMPDIR", home_ / "tmp"}};
    return runProgram(QUODL_CADHOST,
                      {"--no-autoload", "--load", QUODL_PROBE, "--load", QUODL_MODULE, "--script", home_ / "script.txt",
                       kLayouts},
                      "", options);
  }

  static void expectEveryLineWorked(const CadhostRun& r) {
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    for (const char* failure : {"No window", "No view", "\" shows \"", "Usage:", "Unknown", "is covered", "not showing",
                                "waits for an @ line", "closed unanswered"}) {
      EXPECT_EQ(r.output.find(failure), std::string::npos) << failure << "\n" << r.output;
    }
  }

  std::string uninstaller() const { return home_ / "Applications/Quodline Uninstaller.app"; }

  ScratchHome home_;
};

TEST_F(FullPanelLinksScriptTest, EachLinkOpensItsWindowAndThePanelComesBack) {
  const std::string out = std::string(QUODL_RENDERINGS_DIR) + "/full-panel-links";
  ASSERT_TRUE(foundation::createDirectory(out, true));
  fs::create_directories(home_ / "Applications");
  fs::copy(QUODL_UNINSTALLER_APP, uninstaller(), fs::copy_options::recursive);

  std::string script =
      "QDLPROBETRACE\n"
      "QUODL\n"
      "@wait batchPrintPanel recognitionStatus \"选择图层：FRAME\"\n"
      "@render batchPrintPanel " + out + "/01-panel.png\n"
      // The compact panel through the menu that switches the interface, and back through the compact panel's
      // own switch.
      "@choose batchPrintPanel edition #2\n"
      "@probewindows\n"
      "@render batchPrintLite " + out + "/02-compact-panel.png\n"
      "@click batchPrintLite pro\n"
      "@probewindows\n"
      // The settings page's links. The start-command settings: the panel steps aside while the window asks,
      // and comes back after.
      "@click batchPrintPanel settingsPage\n"
      "@render batchPrintPanel " + out + "/03-settings-page.png\n"
      "@click batchPrintPanel command\n"
      "@probewindows\n"
      "@render alert " + out + "/04-command-settings.png\n"
      "@alert 取消\n"
      "@probewindows\n";
#ifdef QUODL_UPDATE_TEST_CONFIGURATION
  // A test build asks a closed port of this machine, so the check says it could not get the release list.
  script +=
      "@click batchPrintPanel update\n"
      "DELAY\n2000\n"
      "@alert #1\n";
#endif
  script +=
      "@click batchPrintPanel uninstall\n"
      "@probeworkspace\n"
      // The queue, on the home page, last: its window comes to the front over the panel.
      "@click batchPrintPanel homePage\n"
      "@click batchPrintPanel files\n"
      "@probewindows\n"
      "@render fileQueuePanel " + out + "/05-file-queue.png\n"
      "QUIT\n";
  const CadhostRun r = run(script);
  expectEveryLineWorked(r);

  std::vector<std::string> expected = {
      "Ferrolin 批打工具面板已打开。",
      "PROBE call vexBatchPrintLiteShow", "PROBE windows [batchPrintLite]",
      "PROBE windows [batchPrintPanel]",
      "Alert: 启动命令 [保存] [取消] [恢复默认]", "PROBE windows [alert]", "PROBE windows [batchPrintPanel]"};
#ifdef QUODL_UPDATE_TEST_CONFIGURATION
  expected.insert(expected.end(), {"PROBE call qdl_updates_check",
                                   "Alert: Ferrolin 批打工具 · 检查更新 — 暂时无法获取更新信息"});
#endif
  expected.insert(expected.end(), {"PROBE workspace open-application [" + uninstaller() + "] ok",
                                   "PROBE call vexBatchPrintFilesShow",
                                   "PROBE windows [batchPrintPanel] [fileQueuePanel]"});
  std::string missing;
  EXPECT_TRUE(inOrder(r.output, expected, &missing)) << missing << "\n" << r.output;
  // Only the settings hid the panel; nothing but the uninstaller was opened.
  EXPECT_EQ(r.output.find("PROBE workspace open "), std::string::npos) << r.output;

  for (const char* picture : {"01-panel", "02-compact-panel", "03-settings-page", "04-command-settings", "05-file-queue"}) {
    const auto size = pngSize(foundation::readFile(out + "/" + picture + ".png").data);
    EXPECT_GT(size.first, 0u) << picture;
  }
}

// Without the application in the user's Applications folder, the panel says so and opens nothing.
TEST_F(FullPanelLinksScriptTest, AnUninstallerThatIsNotInstalledIsSaidToBeMissing) {
  const CadhostRun r = run(
      "QUODL\n@click batchPrintPanel settingsPage\n@click batchPrintPanel uninstall\n@alert #1\n@probeworkspace\n"
      "@probewindows\nQUIT\n");
  expectEveryLineWorked(r);
  std::string missing;
  EXPECT_TRUE(inOrder(r.output,
                      {"Alert: 未找到卸载器 — 请用 Ferrolin 批打工具 1.0.0-beta.1 或更新版安装包覆盖安装，或打开 ZIP "
                       "内的“Quodline Uninstaller.app”。 [OK]",
                       "PROBE workspace\n", "PROBE windows [batchPrintPanel]"},
                      &missing))
      << missing << "\n" << r.output;
  EXPECT_EQ(r.output.find("PROBE workspace open"), std::string::npos) << r.output;
}

}  // namespace
