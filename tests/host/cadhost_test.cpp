// Runs the cadhost program with the test plug-in on scripts and checks what it prints.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cadhost_run.h"
#include "foundation/files.h"
#include "foundation/folders.h"
#include "temp_folder.h"

namespace {

class CadhostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_.emplace("cadhost-test");
    folder_ = scratch_->path();
    ASSERT_TRUE(foundation::createDirectory(folder_ + "/home", false).ok);
    drawing_ = write("plan.dwg",
                     "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n 10\n0.0\n 20\n0.0\n 30\n0.0\n 11\n10.0\n"
                     " 21\n10.0\n 31\n0.0\n  0\nENDSEC\n  0\nEOF\n");
  }
  void TearDown() override { scratch_.reset(); }

  std::string write(const std::string& name, const std::string& content) {
    const std::string path = folder_ + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  // Runs cadhost in the test folder with the user's folders there too.
  CadhostRun cadhost(const std::vector<std::string>& arguments, const std::string& stdinText = "") {
    RunOptions options;
    options.workingDirectory = folder_;
    options.environment = {
        {"HOME", folder_ + "/home"}, {"XDG_CONFIG_HOME", folder_ + "/config"}, {"XDG_DATA_HOME", folder_ + "/data"}};
    options.separateErrors = true;
    return runProgram(CADHOST_PROGRAM, arguments, stdinText, options);
  }

  CadhostRun withPlugin(const std::string& script) {
    write("script.txt", script);
    return cadhost({"--load", QUODL_TEST_PLUGIN, "--script", "script.txt", drawing_});
  }

  static std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
  static bool inOrder(const std::string& text, std::initializer_list<std::string> parts) {
    std::size_t at = 0;
    for (const std::string& part : parts) {
      at = text.find(part, at);
      if (at == std::string::npos) return false;
      at += part.size();
    }
    return true;
  }

  std::optional<TempFolder> scratch_;
  std::string folder_, drawing_;
};

TEST_F(CadhostTest, LoadsThePlugInRunsItsCommandsAndUnloadsIt) {
  const CadhostRun run = withPlugin(
      "HELLOTEST\n"
      "QUEUETEST\n"
      "pointtest\n"
      "3,4\n"
      "_POINTTEST\n"
      "*CANCEL*\n"
      "NOSUCH\n"
      "QUIT\n"
      "HELLOTEST\n");
  EXPECT_EQ(run.exitStatus, 0) << run.errors;
  EXPECT_TRUE(inOrder(run.output, {"Test plug-in loaded.", "Command: HELLOTEST", "Hello from the test plug-in; CTAB=Model",
                                "Command: QUEUETEST", "Queued HELLOTEST", "Hello from the test plug-in",
                                "Command: pointtest", "Pick a point: 3,4", "POINT 3.0,4.0", "Command: _POINTTEST",
                                "Pick a point: *Cancel*", "POINT code -5002", "Unknown command \"NOSUCH\".",
                                "Command: QUIT", "Test plug-in unloaded."}))
      << run.output;
  EXPECT_EQ(count(run.output, "Hello from the test plug-in"), 2u);  // nothing after QUIT runs
  EXPECT_EQ(run.output.back(), '\n');
}

TEST_F(CadhostTest, ARefusedUnloadIsReportedAndQuitStillEnds) {
  const CadhostRun run = withPlugin("HOLDTEST\nUNLOAD\nHELLOTEST\nQUIT\n");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_TRUE(inOrder(run.output, {"Command: UNLOAD", "Test plug-in busy; unload refused.", "refused to unload",
                                "Hello from the test plug-in", "Command: QUIT", "refused to unload"}))
      << run.output;
  EXPECT_EQ(count(run.output, "Test plug-in unloaded."), 0u);
}

TEST_F(CadhostTest, TheEndOfTheScriptQuitsAndStandardInputWorksToo) {
  CadhostRun run = cadhost({"--load", QUODL_TEST_PLUGIN, drawing_}, "HELLOTEST\nUNLOAD\nHELLOTEST");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_TRUE(inOrder(run.output, {"Hello from the test plug-in", "Test plug-in unloaded.", "Unknown command \"HELLOTEST\"."}))
      << run.output;
}

TEST_F(CadhostTest, WindowLinesAndRelativePointsAreToldApart) {
  const CadhostRun run = withPlugin("@click Panel/OK\nPOINTTEST\n@render Panel out.png\n1,1\nQUIT\n");
  EXPECT_EQ(count(run.output, "Usage: @click WINDOW VIEW"), 1u) << run.output;
  EXPECT_EQ(count(run.output, "No window \"Panel\"."), 1u) << run.output;
  EXPECT_NE(run.output.find("POINT 1.0,1.0"), std::string::npos);
}

TEST_F(CadhostTest, DrawingWindowLinesActivateAndCloseDrawingsWithoutACommand) {
  const std::string second =
      write("elevation.dxf",
            std::string(std::istreambuf_iterator<char>(std::ifstream(drawing_, std::ios::binary).rdbuf()), {}));
  write("script.txt",
        "DWGNAME\n\n"
        "@activate PLAN.DWG\nDWGNAME\n\n"
        "@close plan.dwg\nDWGNAME\n\n"
        "@activate plan.dwg\n@close\n@close " +
            second + "\nDWGNAME\n\nQUIT\n");
  const CadhostRun run = cadhost({"--script", "script.txt", drawing_, second});
  EXPECT_EQ(run.exitStatus, 0) << run.errors;
  EXPECT_TRUE(
      inOrder(run.output, {"<\"elevation.dxf\">", "<\"plan.dwg\">", "<\"elevation.dxf\">",
                           "No open drawing \"plan.dwg\".", "Usage: @close DRAWING", "Unknown command \"DWGNAME\"."}))
      << run.output;
  EXPECT_EQ(count(run.output, "Command: "), 5u) << run.output;  // the four DWGNAMEs and QUIT
}

TEST_F(CadhostTest, DrawingsThatCannotBeOpenedAreReportedAndTheRunGoesOn) {
  const std::string binary = write("binary.dwg", std::string("AC1032\0\0\0\0", 10));
  write("script.txt", "HELLOTEST\n");
  const CadhostRun run = cadhost(
      {"--load", QUODL_TEST_PLUGIN, "--script", "script.txt", "--read-only", "missing.dwg", binary, drawing_});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.output.find("missing.dwg"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("binary.dwg"), std::string::npos);
  EXPECT_NE(run.output.find("CTAB=Model"), std::string::npos);
}

TEST_F(CadhostTest, InstalledBundlesAreLoadedUnlessAutoloadIsOff) {
  const std::string addins = folder_ + "/home/Library/Application Support/Autodesk/ApplicationAddins";
  const std::string good = addins + "/Tester.bundle";
  ASSERT_TRUE(foundation::createDirectory(good + "/Contents/Linux", true).ok);
  ASSERT_EQ(std::system(("cp '" QUODL_TEST_PLUGIN "' '" + good + "/Contents/Linux/Tester.so'").c_str()), 0);
  write("home/Library/Application Support/Autodesk/ApplicationAddins/Tester.bundle/PackageContents.xml",
        "<?xml version=\"1.0\"?>\n<ApplicationPackage Name=\"Tester\"><Components>"
        "<RuntimeRequirements OS=\"Linux\"/>"
        "<ComponentEntry AppName=\"Tester\" ModuleName=\"./Contents/Linux/Tester.so\"/>"
        "</Components></ApplicationPackage>\n");
  ASSERT_TRUE(foundation::createDirectory(addins + "/Escape.bundle", true).ok);
  write("home/Library/Application Support/Autodesk/ApplicationAddins/Escape.bundle/PackageContents.xml",
        "<ApplicationPackage><Components><ComponentEntry ModuleName=\"../Tester.bundle/Contents/Linux/Tester.so\"/>"
        "</Components></ApplicationPackage>");

  write("script.txt", "HELLOTEST\n");
  CadhostRun run = cadhost({"--script", "script.txt", drawing_});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.output.find("Hello from the test plug-in"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Escape.bundle: module \"../Tester.bundle/Contents/Linux/Tester.so\" is not inside the bundle"),
            std::string::npos);
  EXPECT_EQ(count(run.output, "Test plug-in loaded."), 1u);

  run = cadhost({"--no-autoload", "--script", "script.txt"});
  EXPECT_NE(run.output.find("Unknown command \"HELLOTEST\"."), std::string::npos) << run.output;
}

// The same module installed and given with --load is one plug-in: the second copy is refused by name, with a
// word, and the plug-in greets and registers its commands once.
TEST_F(CadhostTest, AModuleWhoseNameIsLoadedAlreadyIsRefused) {
  const std::string modules =
      folder_ + "/home/Library/Application Support/Autodesk/ApplicationAddins/Tester.bundle/Contents/Linux";
  ASSERT_TRUE(foundation::createDirectory(modules, true).ok);
  const std::string installed = modules + "/QuodlTestPlugin.so";
  ASSERT_EQ(std::system(("cp '" QUODL_TEST_PLUGIN "' '" + installed + "'").c_str()), 0);
  write("home/Library/Application Support/Autodesk/ApplicationAddins/Tester.bundle/PackageContents.xml",
        "<ApplicationPackage><Components><ComponentEntry ModuleName=\"./Contents/Linux/QuodlTestPlugin.so\"/>"
        "</Components></ApplicationPackage>");
  write("script.txt", "HELLOTEST\nAPPLOAD\n" + installed + "\nQUIT\n");
  const CadhostRun run = cadhost({"--load", QUODL_TEST_PLUGIN, "--script", "script.txt", drawing_});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.output.find("QuodlTestPlugin.so is loaded already, from " + installed + "; " QUODL_TEST_PLUGIN
                            " is not loaded."),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find(installed + " is loaded already."), std::string::npos) << run.output;
  EXPECT_EQ(count(run.output, "Test plug-in loaded."), 1u) << run.output;
  EXPECT_EQ(count(run.output, "Hello from the test plug-in"), 1u) << run.output;
}

TEST_F(CadhostTest, ArgumentsHelpAndBadUse) {
  CadhostRun run = cadhost({"--help"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.output.find("PackageContents.xml"), std::string::npos);
  EXPECT_NE(run.output.find("--script FILE"), std::string::npos);

  run = cadhost({"--bogus"});
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_NE(run.errors.find("unknown option --bogus"), std::string::npos);
  run = cadhost({"--script"});
  EXPECT_EQ(run.exitStatus, 2);
  run = cadhost({"--script", "missing-script.txt"});
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_NE(run.errors.find("missing-script.txt"), std::string::npos);
}

}  // namespace
