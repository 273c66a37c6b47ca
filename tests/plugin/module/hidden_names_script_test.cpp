// Output names that the final verification refuses (a leading dot hides a file in a file browser) are refused
// before a sheet is plotted, in cadhost: a queued drawing ".x.dwg" in each output mode, and a merged full-panel
// job of sheets on different papers into ".plan.pdf". Nothing is plotted, no page or folder is left, nothing
// reports completion.
#include <string>
#include <vector>

#include "fault_script_fixture.h"

namespace {

const std::string kLayouts = std::string(QUODL_SAMPLES) + "/layouts-frames.dxf";
constexpr char kRefused[] = "starts with a dot and is hidden in Finder";

class HiddenQueueNames : public FaultScriptTest, public ::testing::WithParamInterface<int> {};

TEST_P(HiddenQueueNames, AQueuedDrawingNamedWithALeadingDotFailsBeforeItIsPlotted) {
  const int mode = GetParam();
  ASSERT_TRUE(std::filesystem::copy_file(kLayouts, home_ / "drawings/.x.dwg"));
  ASSERT_TRUE(std::filesystem::copy_file(kLayouts, home_ / "drawings/b.dwg"));
  const std::string drawings = home + "/drawings";
  const std::string script = "DUZOZAREDFILES\n@file \"" + drawings + "/.x.dwg\" \"" + drawings +
                             "/b.dwg\"\n@click fileQueuePanel addFiles\nDELAY\n1500\n"
                             "@wait fileQueuePanel status \"2 DWGs\"\n"
                             "@choose fileQueuePanel outputMode \"#" + std::to_string(mode + 1) + "\"\n"
                             "@file \"" + home + "/out\"\n@click fileQueuePanel chooseOutput\n"
                             "@click fileQueuePanel startButton\nDELAY\n0\n@read fileQueuePanel queueTable\nQUIT\n";
  const CadhostRun r = run(script, {kLayouts});
  ASSERT_EQ(r.exitStatus, 0) << r.output;

  const std::vector<std::vector<std::string>> rows = rowsIn(r.output);
  ASSERT_EQ(rows.size(), 2u) << r.output;
  ASSERT_EQ(rows[0].size(), 5u);
  EXPECT_EQ(rows[0][1], ".x.dwg");
  EXPECT_EQ(rows[0][3], "Failed") << rows[0][4];
  EXPECT_NE(rows[0][4].find(kRefused), std::string::npos) << rows[0][4];
  EXPECT_EQ(rows[0][4].find("Exported"), std::string::npos) << rows[0][4];
  EXPECT_EQ(rows[0][4].find("diagnostic pages"), std::string::npos) << rows[0][4];
  // The other drawing is plotted as ever; in mode 2 it keeps its own PDF, as with any failed drawing.
  EXPECT_NE(rows[1][3], "Failed") << rows[1][4];

  // No hidden name in the run's folder, no page of the refused drawing anywhere.
  for (const std::string& entry : everythingIn(home_ / "out")) {
    EXPECT_EQ(entry.find("/."), std::string::npos) << entry;
    EXPECT_EQ(entry.find(".x"), std::string::npos) << entry;
  }
  EXPECT_EQ(everythingIn(home_ / "tmp"), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(OutputModes, HiddenQueueNames, ::testing::Values(0, 1, 2));

TEST_F(FaultScriptTest, AMergedJobOfMixedSheetsIntoADotNameIsRefusedBeforeAPageIsPlotted) {
  writeDefaults(R"("Quodline.OutputPath": ")" + home + R"(/out/.plan.pdf", "Quodline.OutputLocationMode": 5, )"
                R"("Quodline.OutputMode": 0)");
  const CadhostRun r = run("QUODL\n@choose batchPrintPanel scope \"#2\"\n@click batchPrintPanel export\n"
                           "@read batchPrintPanel status\nQUIT\n",
                           {kLayouts});
  ASSERT_EQ(r.exitStatus, 0) << r.output;
  EXPECT_NE(r.output.find("DUZOZAREDEXEC=FAIL"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(std::string("error=PDF filename ") + kRefused + ": " + home + "/out/.plan.pdf"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(r.output.find("diagnostic pages"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("Export complete"), std::string::npos) << r.output;
  EXPECT_EQ(everythingIn(home_ / "out"), std::vector<std::string>{});
  EXPECT_EQ(everythingIn(home_ / "tmp"), std::vector<std::string>{});
}

}  // namespace
