// Output paths as a person's settings or choices hold them, in cadhost: a leading "~" is the home folder in the
// full panel (merged and split, through its preflight), the compact panel and the queue; a relative path is
// refused as relative, and nothing is written in the host's working folder either way.
#include <string>
#include <vector>

#include "fault_script_fixture.h"
#include "foundation/paths.h"

namespace {

const std::string kLayouts = std::string(QUODL_SAMPLES) + "/layouts-frames.dxf";
constexpr char kRelative[] = "The output path is a relative path; choose a full path";

struct PathCase {
  const char* name;
  std::string defaults;  // the full panel's stored choices
  std::string script;
  std::vector<std::string> said;  // in what cadhost prints
  std::vector<std::string> files;  // what the home's "out" holds afterwards ("*" for a run's own folder name)
};

// "Ferrolin-PDF-<UUID>/x" → "Ferrolin-PDF-*/x", so that a run's folder compares.
std::string withoutUuid(std::string path) {
  for (const char* prefix : {"Ferrolin-PDF-", "Ferrolin-Batch-"}) {
    if (path.rfind(prefix, 0) == 0) path.replace(std::string(prefix).size(), 36, "*");
  }
  return path;
}

class OutputPathsScriptTest : public FaultScriptTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(OutputPathsScriptTest, ATildeIsTheHomeFolderAndARelativePathIsRefusedAsSuch) {
  const PathCase& c = GetParam();
  writeDefaults(c.defaults);
  // The open panels of this host take a folder that exists where the host runs, as typed.
  for (const char* folder : {"work/~/out", "work/out", "drawings"}) ASSERT_TRUE(foundation::createDirectory(home_ / folder, true));
  ASSERT_TRUE(std::filesystem::copy_file(kLayouts, home_ / "drawings/plan.dwg"));

  std::string script = c.script;
  if (const std::size_t at = script.find("DRAWINGS"); at != std::string::npos) {
    script.replace(at, 8, home + "/drawings");
  }
  const CadhostRun r = run(script + "QUIT\n", {kLayouts});
  ASSERT_EQ(r.exitStatus, 0) << r.output;
  for (const std::string& text : c.said) EXPECT_NE(r.output.find(text), std::string::npos) << text << "\n" << r.output;
  EXPECT_EQ(r.output.find("not writable"), std::string::npos) << r.output;

  // Nothing where the host runs, only the folders the test made.
  EXPECT_EQ(everythingIn(home_ / "work"), (std::vector<std::string>{"out", "~", "~/out"}));
  std::vector<std::string> files;
  for (const std::string& file : everythingIn(home_ / "out")) files.push_back(withoutUuid(file));
  EXPECT_EQ(files, c.files) << r.output;
}

const std::string kFullPanel = "QUODL\n@choose batchPrintPanel scope \"#2\"\n";
const std::string kQueue =
    "DUZOZAREDFILES\n@file \"DRAWINGS\"\n@click fileQueuePanel addFolder\nDELAY\n1500\n"
    "@wait fileQueuePanel status \"1 DWGs\"\n@choose fileQueuePanel outputMode \"#2\"\n";

std::string queueInto(const std::string& folder) {
  return kQueue + "@file \"" + folder + "\"\n@click fileQueuePanel chooseOutput\n"
         "@click fileQueuePanel startButton\nDELAY\n0\n@read fileQueuePanel status\n@read fileQueuePanel queueTable\n";
}

const std::string kLite = "CTAB\nA3 Block\nDUZOZAREDLITE\n@wait batchPrintLite filename layouts-frames.dxf\n";

INSTANTIATE_TEST_SUITE_P(
    Places, OutputPathsScriptTest,
    ::testing::Values(
        PathCase{"FullPanelMerged",
                 R"("Quodline.OutputPath": "~/out/job.pdf", "Quodline.OutputLocationMode": 5, "Quodline.OutputMode": 0)",
                 kFullPanel + "@click batchPrintPanel export\n",
                 {"DUZOZAREDEXEC=PASS"},
                 {"job.pdf"}},
        PathCase{"FullPanelSplit",
                 R"("Quodline.OutputPath": "~/out", "Quodline.OutputLocationMode": 5, "Quodline.OutputMode": 1)",
                 kFullPanel + "@click batchPrintPanel export\n",
                 {"DUZOZAREDEXEC=PASS"},
                 {"001-A3 Block 图框 01.pdf", "002-A3 Polylines 图框 01.pdf", "003-A4 Portrait 图框 01.pdf"}},
        PathCase{"FullPanelRelative",
                 R"("Quodline.OutputPath": "out/job.pdf", "Quodline.OutputLocationMode": 5, "Quodline.OutputMode": 0)",
                 kFullPanel + "@click batchPrintPanel preflight\n@alert OK\n@click batchPrintPanel export\n"
                              "@read batchPrintPanel status\n",
                 {std::string("Alert: Preflight failed — Required:\n• ") + kRelative + ": out/job.pdf",
                  "status: Preflight failed: 1 issues must be fixed; job not submitted."},
                 {}},
        PathCase{"CompactPanel", "", kLite + "@file \"~/out\"\n@click batchPrintLite output\n",
                 {"DUZOZAREDLITEEXEC=PASS"}, {"Ferrolin-PDF-*", "Ferrolin-PDF-*/layouts-frames-0001.pdf"}},
        PathCase{"CompactPanelRelative", "", kLite + "@file \"out\"\n@click batchPrintLite output\n"
                                                     "@read batchPrintLite status\n",
                 {std::string("DUZOZAREDLITEEXEC=FAIL error=") + kRelative + ": out",
                  std::string("status: ") + kRelative + ": out"},
                 {}},
        PathCase{"Queue", "", queueInto("~/out"), {"status: Complete 1 · Partial 0 · Failed 0"},
                 {"Ferrolin-Batch-*", "Ferrolin-Batch-*/plan.pdf"}},
        PathCase{"QueueRelative", "", queueInto("out"), {std::string("status: ") + kRelative + ": out"}, {}}),
    [](const ::testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

}  // namespace
