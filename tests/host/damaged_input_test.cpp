// cadhost given what a careful tester gives it: damaged drawings, things that are not drawing files at all, and
// settings files it cannot use. Each is said once on the command line; nothing crashes or hangs the host.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cadhost_run.h"
#include "damaged_drawings.h"
#include "temp_folder.h"

namespace {

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

class DamagedInput : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& content) {
    const std::string path = folder_ / name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  // cadhost with the test plug-in, the drawings given, and a script that ends by closing the drawing (which
  // tells whether one is open).
  CadhostRun cadhost(const std::vector<std::string>& drawings, const std::string& script = "CLOSE\n") {
    std::vector<std::string> arguments{"--no-autoload", "--load", QUODL_TEST_PLUGIN};
    arguments.insert(arguments.end(), drawings.begin(), drawings.end());
    RunOptions options;
    options.workingDirectory = folder_.path();
    options.environment = {{"HOME", folder_ / "home"}, {"XDG_CONFIG_HOME", folder_ / "config"}};
    options.separateErrors = true;
    options.timeLimit = std::chrono::seconds(120);
    CadhostRun run = runProgram(CADHOST_PROGRAM, arguments, script, options);
    EXPECT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.signal, 0) << run.output << run.errors;
    EXPECT_EQ(run.exitStatus, 0) << run.output << run.errors;
    EXPECT_EQ(run.errors, "");
    return run;
  }

  TempFolder folder_{"quodl-damaged"};
};

TEST_F(DamagedInput, EachKindOfDamagedDrawingIsRefusedOrOpenedWithItsWarningSaidOnce) {
  for (const DamagedDrawing& kind : damagedDrawings(QUODL_SAMPLES_DIR)) {
    SCOPED_TRACE(kind.name);
    const std::string path = write("damage-" + kind.name + ".dxf", kind.content);
    const CadhostRun run = cadhost({path});
    EXPECT_EQ(count(run.output, path), 1u) << run.output;
    if (kind.opens) {
      EXPECT_EQ(count(run.output, "Drawing \"" + path + "\" was opened with warnings:\n"), 1u) << run.output;
      EXPECT_EQ(count(run.output, "\n  " + kind.message + "\n"), 1u) << run.output;
      EXPECT_EQ(count(run.output, "No drawing is open."), 0u) << run.output;
    } else {
      EXPECT_EQ(count(run.output, "Cannot open \"" + path + "\": " + kind.message + "\n"), 1u) << run.output;
      EXPECT_EQ(count(run.output, "No drawing is open."), 1u) << run.output;
    }
  }
}

TEST_F(DamagedInput, WhatIsNoDrawingFileIsRefusedWithTheSystemsReasonWithoutWaiting) {
  for (const UnreadableItem& item : unreadableItems()) {
    SCOPED_TRACE(item.name);
    const std::string path = item.make(folder_ / item.name);
    if (path.empty()) continue;
    const CadhostRun run = cadhost({path});
    EXPECT_EQ(count(run.output, "Cannot open \"" + path + "\": " + item.reason + "\n"), 1u) << run.output;
    EXPECT_EQ(count(run.output, path), 1u) << run.output;
    EXPECT_EQ(count(run.output, "No drawing is open."), 1u) << run.output;
  }
}

TEST_F(DamagedInput, OpenInASessionRefusesAFolderAndAPipeAndTheSessionGoesOn) {
  std::filesystem::create_directory(folder_ / "folder.dxf");
  ASSERT_EQ(::mkfifo((folder_ / "pipe.dxf").c_str(), 0600), 0);
  const std::string drawing = write("plan.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n11\n5\n21\n5\n0\nENDSEC\n0\nEOF\n");
  const CadhostRun run =
      cadhost({}, "OPEN\n" + (folder_ / "folder.dxf") + "\nOPEN\n" + (folder_ / "pipe.dxf") + "\nOPEN\n" + drawing +
                      "\nHELLOTEST\n");
  EXPECT_EQ(count(run.output, "Cannot open \"" + (folder_ / "folder.dxf") + "\": is a directory\n"), 1u) << run.output;
  EXPECT_EQ(count(run.output, "Cannot open \"" + (folder_ / "pipe.dxf") + "\": not a regular file\n"), 1u)
      << run.output;
  EXPECT_EQ(count(run.output, "Hello from the test plug-in; CTAB=Model"), 1u) << run.output;
}

TEST_F(DamagedInput, AHugeLineIsShownByItsStartAndLength) {
  const std::size_t size = std::size_t{32} << 20;
  const std::string path = write("huge.dxf", "0\nSECTION\n2\nENTITIES\n0\nTEXT\n1\n" + std::string(size, 'x') +
                                                 "\n40\n" + std::string(size, '9') + "x\n0\nENDSEC\n0\nEOF\n");
  const CadhostRun run = cadhost({path});
  EXPECT_LT(run.output.size(), 4096u) << run.output.substr(0, 4096);
  EXPECT_EQ(count(run.output, "Cannot open \"" + path + "\": line 10: \"" + std::string(40, '9') + "…\" (" +
                                  std::to_string(size + 1) + " bytes) is not a number (group code 40)\n"),
            1u)
      << run.output.substr(0, 4096);
}

TEST_F(DamagedInput, SettingsFilesThatCannotBeUsedAreSaidOnceAndTheSessionGoesOn) {
  // Either settings file damaged (set aside, said once) or a folder in its place (left, said once, and values
  // kept in memory): the host environment and the user defaults follow one policy.
  const std::string environment = "config/quodline-host/environment.json";
  const std::string defaults = "config/quodline/defaults/standard.json";
  const struct {
    std::string damaged, folder, expected;
  } cases[] = {
      {defaults, environment, "SETTINGS environment=memory defaults=saved"},
      {environment, defaults, "SETTINGS environment=saved defaults=memory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.damaged);
    std::filesystem::remove_all(folder_ / "config");
    std::filesystem::create_directories(folder_ / c.folder);
    write(c.damaged, "{ damaged");
    const CadhostRun run = cadhost({}, "SETTINGSTEST\nSETTINGSTEST\n");
    EXPECT_EQ(count(run.output, c.expected), 2u) << run.output;
    EXPECT_EQ(count(run.output, "Cannot read settings " + (folder_ / c.folder)), 1u) << run.output;
    EXPECT_EQ(count(run.output, "kept in memory only"), 1u) << run.output;
    EXPECT_EQ(count(run.output, "Damaged settings " + (folder_ / c.damaged)), 1u) << run.output;
    EXPECT_TRUE(std::filesystem::is_directory(folder_ / c.folder));
    const std::filesystem::path damaged = folder_ / c.damaged;
    const std::string stem = damaged.stem().string() + ".damaged-";
    int setAside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(damaged.parent_path())) {
      if (entry.path().filename().string().rfind(stem, 0) == 0) ++setAside;
    }
    EXPECT_EQ(setAside, 1);
  }
}

}  // namespace
