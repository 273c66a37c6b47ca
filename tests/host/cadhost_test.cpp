// Runs the cadhost program with the test plug-in on scripts and checks what it prints.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "foundation/files.h"
#include "foundation/folders.h"

namespace {

class CadhostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = foundation::temporaryDirectory() + "/cadhost-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    ASSERT_TRUE(foundation::createDirectory(folder_ + "/home", false).ok);
    drawing_ = write("plan.dwg",
                     "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n 10\n0.0\n 20\n0.0\n 30\n0.0\n 11\n10.0\n"
                     " 21\n10.0\n 31\n0.0\n  0\nENDSEC\n  0\nEOF\n");
  }
  void TearDown() override { foundation::removeItem(folder_); }

  std::string write(const std::string& name, const std::string& content) {
    const std::string path = folder_ + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  struct Run {
    int status = -1;
    std::string out, err;
  };
  // Runs cadhost with the arguments (already quoted where needed) and the user's folders in the test folder.
  Run cadhost(const std::string& arguments, const std::string& stdinText = "") {
    const std::string input = write("stdin.txt", stdinText);
    const std::string command = "cd '" + folder_ + "' && HOME='" + folder_ + "/home' XDG_CONFIG_HOME='" + folder_ +
                                "/config' XDG_DATA_HOME='" + folder_ + "/data' '" CADHOST_PROGRAM "' " + arguments +
                                " < '" + input + "' > out.txt 2> err.txt";
    Run run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = foundation::readFile(folder_ + "/out.txt").data;
    run.err = foundation::readFile(folder_ + "/err.txt").data;
    return run;
  }

  Run withPlugin(const std::string& script, const std::string& extra = "") {
    write("script.txt", script);
    return cadhost("--load '" QUODL_TEST_PLUGIN "' --script script.txt " + extra + " '" + drawing_ + "'");
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

  std::string folder_, drawing_;
};

TEST_F(CadhostTest, LoadsThePlugInRunsItsCommandsAndUnloadsIt) {
  const Run run = withPlugin(
      "HELLOTEST\n"
      "QUEUETEST\n"
      "pointtest\n"
      "3,4\n"
      "_POINTTEST\n"
      "*CANCEL*\n"
      "NOSUCH\n"
      "QUIT\n"
      "HELLOTEST\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(inOrder(run.out, {"Test plug-in loaded.", "Command: HELLOTEST", "Hello from the test plug-in; CTAB=Model",
                                "Command: QUEUETEST", "Queued HELLOTEST", "Hello from the test plug-in",
                                "Command: pointtest", "Pick a point: 3,4", "POINT 3.0,4.0", "Command: _POINTTEST",
                                "Pick a point: *Cancel*", "POINT code -5002", "Unknown command \"NOSUCH\".",
                                "Command: QUIT", "Test plug-in unloaded."}))
      << run.out;
  EXPECT_EQ(count(run.out, "Hello from the test plug-in"), 2u);  // nothing after QUIT runs
  EXPECT_EQ(run.out.back(), '\n');
}

TEST_F(CadhostTest, ARefusedUnloadIsReportedAndQuitStillEnds) {
  const Run run = withPlugin("HOLDTEST\nUNLOAD\nHELLOTEST\nQUIT\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(inOrder(run.out, {"Command: UNLOAD", "Test plug-in busy; unload refused.", "refused to unload",
                                "Hello from the test plug-in", "Command: QUIT", "refused to unload"}))
      << run.out;
  EXPECT_EQ(count(run.out, "Test plug-in unloaded."), 0u);
}

TEST_F(CadhostTest, TheEndOfTheScriptQuitsAndStandardInputWorksToo) {
  Run run = cadhost("--load '" QUODL_TEST_PLUGIN "' '" + drawing_ + "'", "HELLOTEST\nUNLOAD\nHELLOTEST");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(inOrder(run.out, {"Hello from the test plug-in", "Test plug-in unloaded.", "Unknown command \"HELLOTEST\"."}))
      << run.out;
}

TEST_F(CadhostTest, WindowLinesAndRelativePointsAreToldApart) {
  const Run run = withPlugin("@click Panel/OK\nPOINTTEST\n@render Panel out.png\n1,1\nQUIT\n");
  EXPECT_EQ(count(run.out, "@ commands act on windows: not available"), 2u) << run.out;
  EXPECT_NE(run.out.find("POINT 1.0,1.0"), std::string::npos);
}

TEST_F(CadhostTest, DrawingsThatCannotBeOpenedAreReportedAndTheRunGoesOn) {
  const std::string binary = write("binary.dwg", std::string("AC1032\0\0\0\0", 10));
  write("script.txt", "HELLOTEST\n");
  const Run run = cadhost("--load '" QUODL_TEST_PLUGIN "' --script script.txt --read-only missing.dwg '" + binary +
                          "' '" + drawing_ + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("missing.dwg"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("binary.dwg"), std::string::npos);
  EXPECT_NE(run.out.find("CTAB=Model"), std::string::npos);
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
  Run run = cadhost("--script script.txt '" + drawing_ + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("Hello from the test plug-in"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Escape.bundle: module \"../Tester.bundle/Contents/Linux/Tester.so\" is not inside the bundle"),
            std::string::npos);
  EXPECT_EQ(count(run.out, "Test plug-in loaded."), 1u);

  run = cadhost("--no-autoload --script script.txt");
  EXPECT_NE(run.out.find("Unknown command \"HELLOTEST\"."), std::string::npos) << run.out;
}

TEST_F(CadhostTest, ArgumentsHelpAndBadUse) {
  Run run = cadhost("--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("PackageContents.xml"), std::string::npos);
  EXPECT_NE(run.out.find("--script FILE"), std::string::npos);

  run = cadhost("--bogus");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("unknown option --bogus"), std::string::npos);
  run = cadhost("--script");
  EXPECT_EQ(run.status, 2);
  run = cadhost("--script missing-script.txt");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("missing-script.txt"), std::string::npos);
}

}  // namespace
