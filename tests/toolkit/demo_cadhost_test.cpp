// The demo window in cadhost: a script clicks, types, chooses and answers an alert, and sees what each did;
// the window renders as PNG.

#include <gtest/gtest.h>

#include <string>

#include "cadhost_run.h"
#include "foundation/files.h"
#include "test_files.h"

namespace {

bool inOrder(const std::string& text, std::initializer_list<std::string> parts) {
  std::size_t at = 0;
  for (const std::string& part : parts) {
    at = text.find(part, at);
    if (at == std::string::npos) return false;
    at += part.size();
  }
  return true;
}

TEST(DemoWindowInCadhost, AScriptClicksTypesChoosesAndAnswersTheAlert) {
  ScratchHome home;
  const std::string demoPng = home.path() + "/demo.png";
  const std::string alertPng = home.path() + "/alert.png";
  const std::string script =
      "TOOLKITDEMO\n"
      "@click demo add\n"
      "@click \"工具包演示 Toolkit demo\" add\n"
      "@type demo name 图纸 A-101\n"
      "@choose demo paper #2\n"
      "@click demo overwrite\n"
      "@key demo Return\n"
      "@render demo " + demoPng + " 2\n"
      "@click demo reset\n"
      "@render alert " + alertPng + "\n"
      "HELLO\n"
      "@alert 归零 Reset\n"
      "@alert Cancel\n"
      "@click demo reset\n"
      "@click demo nosuch\n"
      "@click nowindow add\n"
      "@choose demo paper B5\n"
      "QUIT\n";
  const CadhostRun run = runProgram(CADHOST_PROGRAM, {"--no-autoload", "--load", TOOLKIT_DEMO_PLUGIN}, script, home);
  EXPECT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_TRUE(inOrder(run.output, {"计数 Count: 1", "计数 Count: 2", "名称 Name: 图纸 A-101", "纸张 Paper: A4｜210 × 297",
                                   "覆盖 Overwrite: on", "计数 Count: 3",
                                   "Alert: 把计数归零？ — Reset the count to zero? [归零 Reset] [Cancel]",
                                   "\"HELLO\" ignored", "计数 Count: 0", "Alert: 把计数归零？",
                                   "No view \"nosuch\" in \"demo\".", "No window \"nowindow\".",
                                   "The pop-up has no item \"B5\"."}))
      << run.output;
  // The second reset was cancelled: the count stays 0.
  EXPECT_EQ(run.output.find("计数 Count:", run.output.find("计数 Count: 0") + 1), std::string::npos) << run.output;
  const auto demo = pngSize(foundation::readFile(demoPng).data);
  EXPECT_EQ(demo.first, 840u);
  EXPECT_EQ(demo.second, 576u);  // (260 + 28) × 2
  EXPECT_GT(pngSize(foundation::readFile(alertPng).data).first, 0u);
}

// A script's @ lines act at the pumps of a busy command; @wait holds them until the window shows its text, and
// one still waiting when the command ends says what the window shows. Typed at standard input, where nothing is
// read ahead, they wait for the command to end.
TEST(DemoWindowInCadhost, AScriptActsWhileACommandPumpsEvents) {
  ScratchHome home;
  const std::string script =
      "TOOLKITDEMO\n"
      "TOOLKITDEMOBUSY\n"
      "@click demo add\n"
      "@wait demo name \"step 3\"\n"
      "@click demo add\n"
      "@wait demo name \"step 9\"\n"
      "@click demo add\n";
  ASSERT_TRUE(foundation::writeFileAtomically(home.path() + "/script.txt", script));
  CadhostRun run = runProgram(CADHOST_PROGRAM,
                              {"--no-autoload", "--load", TOOLKIT_DEMO_PLUGIN, "--script", home.path() + "/script.txt"},
                              "", home);
  EXPECT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_TRUE(inOrder(run.output, {"Busy 第 1 步 step 1", "计数 Count: 1", "Busy 第 2 步 step 2", "Busy 第 3 步 step 3",
                                   "计数 Count: 2", "Busy 第 4 步 step 4", "Busy 第 5 步 step 5", "Busy done",
                                   "\"name\" shows \"第 5 步 step 5\", not \"step 9\".", "计数 Count: 3"}))
      << run.output;

  run = runProgram(CADHOST_PROGRAM, {"--no-autoload", "--load", TOOLKIT_DEMO_PLUGIN}, script, home);
  EXPECT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_TRUE(inOrder(run.output, {"Busy done", "计数 Count: 1", "\"name\" shows \"第 5 步 step 5\", not \"step 3\".",
                                   "计数 Count: 2", "计数 Count: 3"}))
      << run.output;
}

// A window is found by its title as a person copies it (letter case and blanks aside); a window or view that is
// not there is answered with the names there are, a table's cells once as NAME-N.
TEST(DemoWindowInCadhost, NamesThatAreNotThereAreAnsweredWithTheNamesThereAre) {
  ScratchHome home;
  const CadhostRun run =
      runProgram(CADHOST_PROGRAM, {"--no-autoload", "--load", TOOLKIT_DEMO_PLUGIN},
                 "@read ? ?\nTOOLKITDEMO\n@click \"工具包演示   toolkit DEMO \" add\n@click demo nosuch\n"
                 "@click nowindow add\n@click demo _closeButton\n@read nowindow add\nQUIT\n",
                 home);
  EXPECT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_TRUE(inOrder(run.output, {"No window \"?\". No window is open.", "计数 Count: 1",
                                   "No view \"nosuch\" in \"demo\". Its views: ", "add", "\n",
                                   "No window \"nowindow\". The windows: demo (\"工具包演示 Toolkit demo\").",
                                   "No window \"nowindow\". The windows: demo (\"工具包演示 Toolkit demo\") "
                                   "(not showing)."}))
      << run.output;
}

TEST(DemoWindowInCadhost, AnAlertLeftUnansweredAtTheEndOfTheScriptTakesItsFirstButton) {
  ScratchHome home;
  const CadhostRun run =
      runProgram(CADHOST_PROGRAM, {"--no-autoload", "--load", TOOLKIT_DEMO_PLUGIN},
                 "TOOLKITDEMO\n@click demo add\n@click demo reset\n", home);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_TRUE(inOrder(run.output, {"计数 Count: 1", "Alert:", "计数 Count: 0"})) << run.output;
}

}  // namespace
