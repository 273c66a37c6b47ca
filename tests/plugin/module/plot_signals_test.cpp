// cadhost ended by a signal in the middle of its own plot, held there by the probe. An interrupting signal
// (SIGTERM, SIGINT, SIGHUP) ends the plot and then the host cleanly: the earlier PDF stays whole and nothing is
// left. A kill leaves the plot's work files and the host's running-applications entry, which the next start
// removes, and only those: not a file of another name, nor what a host still running works on.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/uuid.h"
#include "interactive_program.h"

namespace {

const std::string kDrawing = std::string(QUODL_SAMPLES) + "/layouts-frames.dxf";

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  if (!std::filesystem::is_directory(folder)) return names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

bool isWorkName(const std::string& name, const std::string& prefix, const std::string& suffix) {
  return name.size() == prefix.size() + 36 + suffix.size() && name.starts_with(prefix) && name.ends_with(suffix) &&
         foundation::isUuid(name.substr(prefix.size(), 36));
}

class PlotSignals : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"out", "tmp"}) ASSERT_TRUE(foundation::createDirectory(home_ / folder, true));
    options_.environment = {{"HOME", home_.path()},           {"XDG_CONFIG_HOME", home_ / ".config"},
                            {"XDG_DATA_HOME", home_ / "data"}, {"TMPDIR", home_ / "tmp"},
                            {"XDG_RUNTIME_DIR", home_ / "run"}};
  }

  // A host held inside page 1 of its plot to `target` (replacing what is there).
  std::unique_ptr<InteractiveProgram> plotting(const std::string& target) {
    auto host = std::make_unique<InteractiveProgram>(
        QUODL_CADHOST, std::vector<std::string>{"--no-autoload", "--load", QUODL_PROBE, kDrawing}, options_);
    host->writeLine("QDLPROBEHANG");
    host->writeLine("1");
    host->writeLine("CTAB");
    host->writeLine("A3 Block");
    host->writeLine("PLOT");
    host->writeLine(target);
    if (foundation::itemExists(target)) host->writeLine("Yes");
    EXPECT_TRUE(host->waitForOutput("PROBE hanging on page 1")) << host->output();
    return host;
  }
  std::vector<std::string> workFiles() const {
    std::vector<std::string> found;
    for (const std::string& name : entries(home_ / "out")) {
      if (isWorkName(name, "Plot-", ".pdf")) found.push_back(name);
    }
    return found;
  }
  std::vector<std::string> pageFolders() const { return entries(home_ / "tmp"); }
  std::vector<std::string> runningEntries() const { return entries(home_ / "run/running-applications"); }

  ScratchHome home_;
  RunOptions options_;
};

TEST_F(PlotSignals, AnInterruptingSignalEndsThePlotAndTheHostCleanly) {
  const std::string target = home_ / "out/a3.pdf";
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    ASSERT_TRUE(foundation::writeFileAtomically(target, "earlier"));
    const std::unique_ptr<InteractiveProgram> host = plotting(target);
    EXPECT_EQ(workFiles().size(), 1u);
    EXPECT_EQ(pageFolders().size(), 1u);
    host->sendSignal(signal);
    EXPECT_EQ(host->wait(), -1) << host->output();
    EXPECT_EQ(host->endSignal(), signal);
    EXPECT_NE(host->output().find("Plot failed: the plot was interrupted."), std::string::npos) << host->output();
    EXPECT_EQ(foundation::readFile(target).data, "earlier");
    EXPECT_EQ(entries(home_ / "out"), std::vector<std::string>{"a3.pdf"});
    EXPECT_EQ(pageFolders(), std::vector<std::string>{});
    EXPECT_EQ(runningEntries(), std::vector<std::string>{});
    EXPECT_EQ(entries(home_ / "run/work-items"), std::vector<std::string>{});
  }
}

TEST_F(PlotSignals, AKilledHostsLeftoversGoAtTheNextStartAndNothingElse) {
  const std::string target = home_ / "out/a3.pdf";
  ASSERT_TRUE(foundation::writeFileAtomically(target, "earlier"));
  const std::unique_ptr<InteractiveProgram> killed = plotting(target);
  const std::vector<std::string> killedFiles = workFiles();
  const std::vector<std::string> killedPages = pageFolders();
  ASSERT_EQ(killedFiles.size(), 1u);
  ASSERT_EQ(killedPages.size(), 1u);
  killed->kill();
  EXPECT_EQ(runningEntries().size(), 1u);
  // Names like the host's, but none of its work: they stay.
  const std::string notOurs = home_ / "out/Plot-notes.pdf";
  const std::string unrecorded = home_ / ("out/Plot-" + foundation::makeUuid() + ".pdf");
  ASSERT_TRUE(foundation::writeFileAtomically(notOurs, "notes"));
  ASSERT_TRUE(foundation::writeFileAtomically(unrecorded, "someone's"));

  // A second host, still plotting, while a third starts.
  const std::string second = home_ / "out/second.pdf";
  const std::unique_ptr<InteractiveProgram> running = plotting(second);
  std::vector<std::string> runningFiles = workFiles();
  runningFiles.erase(std::remove(runningFiles.begin(), runningFiles.end(), killedFiles.front()), runningFiles.end());
  runningFiles.erase(std::remove(runningFiles.begin(), runningFiles.end(), foundation::lastPathComponent(unrecorded)),
                     runningFiles.end());
  ASSERT_EQ(runningFiles.size(), 1u);

  InteractiveProgram third(QUODL_CADHOST, {"--no-autoload"}, options_);
  third.writeLine("QUIT");
  EXPECT_EQ(third.wait(), 0) << third.output();

  const std::vector<std::string> out = entries(home_ / "out");
  EXPECT_EQ(std::count(out.begin(), out.end(), killedFiles.front()), 0);
  EXPECT_EQ(std::count(out.begin(), out.end(), runningFiles.front()), 1);
  EXPECT_EQ(foundation::readFile(notOurs).data, "notes");
  EXPECT_EQ(foundation::readFile(unrecorded).data, "someone's");
  EXPECT_EQ(foundation::readFile(target).data, "earlier");
  const std::vector<std::string> pages = pageFolders();
  EXPECT_EQ(std::count(pages.begin(), pages.end(), killedPages.front()), 0);
  EXPECT_EQ(pages.size(), 1u);  // the running host's
  EXPECT_EQ(runningEntries(), std::vector<std::string>{std::to_string(running->processIdentifier()) + ".json"});

  running->sendSignal(SIGTERM);
  running->wait();
  EXPECT_EQ(pageFolders(), std::vector<std::string>{});
  EXPECT_FALSE(foundation::itemExists(second));
}

}  // namespace
