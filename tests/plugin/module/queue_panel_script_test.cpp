// The queue panel in cadhost, as a person uses it: DUZOZAREDFILES opens it, a folder is chosen in the open panel,
// the search runs while cadhost goes on, and the rows show the drawings (DXF text under .dwg names) and leave
// out the .dxf, the hidden and the linked ones. The window is rendered into the build tree for a look.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "cadhost_run.h"
#include "foundation/files.h"
#include "foundation/user_defaults.h"
#include "test_files.h"
#include "ui/localisation.h"

namespace {

class QueuePanelScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {".config", "data", "tmp", "drawings/sub", "out"}) {
      ASSERT_TRUE(foundation::createDirectory(home_ / folder, true));
    }
    for (const auto& [name, value] : environment()) setenv(name.c_str(), value.c_str(), 1);
    foundation::UserDefaults::setRootForTesting(home_ / ".config/quodline/defaults");
    ASSERT_TRUE(QDLSetLanguagePreference("zh"));
    foundation::UserDefaults::setRootForTesting("");
  }
  void TearDown() override {
    for (const auto& [name, value] : environment()) unsetenv(name.c_str());
  }

  std::vector<std::pair<std::string, std::string>> environment() const {
    return {{"HOME", home_.path()},
            {"XDG_CONFIG_HOME", home_ / ".config"},
            {"XDG_DATA_HOME", home_ / "data"},
            {"TMPDIR", home_ / "tmp"}};
  }

  ScratchHome home_;
};

TEST_F(QueuePanelScriptTest, AFolderChosenInThePanelFillsTheQueueInTheBackground) {
  const std::string sample = std::string(QUODL_SAMPLES) + "/layouts-frames.dxf";
  const std::string drawings = std::filesystem::canonical(home_ / "drawings").string();
  std::filesystem::copy_file(sample, drawings + "/平面图 A.dwg");
  std::filesystem::copy_file(sample, drawings + "/sub/Section.DWG");
  std::filesystem::copy_file(sample, drawings + "/sub/plain.dxf");
  std::filesystem::copy_file(sample, drawings + "/.hidden.dwg");
  std::filesystem::create_symlink(drawings + "/平面图 A.dwg", drawings + "/link.dwg");

  const std::string png = std::string(QUODL_RENDERINGS_DIR) + "/queue-panel.png";
  std::filesystem::create_directories(QUODL_RENDERINGS_DIR);
  std::filesystem::remove(png);
  const std::string script =
      "DUZOZAREDFILES\n"
      "@click fileQueuePanel recursive\n"
      "@file \"" +
      drawings +
      "\"\n"
      "@click fileQueuePanel addFolder\n"
      "DELAY\n300\n"
      "@wait fileQueuePanel status \"2 个 DWG\"\n"
      "@choose fileQueuePanel fileOrder 文件名降序\n"
      "@render fileQueuePanel \"" +
      png +
      "\"\n"
      "@click fileQueuePanel addFolder\n"
      "@file\n"
      "QUIT\n";
  ASSERT_TRUE(foundation::writeFileAtomically(home_ / "script.txt", script));
  RunOptions options;
  options.environment = environment();
  const CadhostRun run = runProgram(
      QUODL_CADHOST, {"--no-autoload", "--load", QUODL_MODULE, "--script", home_ / "script.txt", sample}, "", options);
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  for (const char* failure :
       {"No window", "No view", "shows", "Usage:", "Unknown window command", "Queued work failed"}) {
    EXPECT_EQ(run.output.find(failure), std::string::npos) << failure << "\n" << run.output;
  }
  EXPECT_EQ(pngSize(foundation::readFile(png).data), (std::pair<unsigned, unsigned>{850, 648})) << run.output;
  std::cout << "[ queue panel ] " << png << "\n";
}

}  // namespace
