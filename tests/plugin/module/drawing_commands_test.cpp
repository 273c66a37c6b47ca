// The commands that work on the drawing, run in cadhost on the sample drawings as a user answers their
// prompts: each pick changes what the next scan finds (the status line and the candidate trace file say so),
// failed and hostile answers change nothing, a sheet is located on its layout, and the print-area marks show
// and go again, leaving nothing with the host. The helper plug-in (work_probe.cpp) stands in for the panel's
// requests and shows what the host holds ("@probehost" starts no command, so it takes no mark away).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cadhost_run.h"
#include "test_files.h"

namespace {

const std::string kOversized = std::string(QUODL_SAMPLES) + "/oversized-layout.dxf";
const std::string kLayouts = std::string(QUODL_SAMPLES) + "/layouts-frames.dxf";

// Oversized's sheets as the scan finds them: four A3 title blocks at 0.98, the turned A4, and the A3 drawn as
// polylines at 0.9 that only its layer brings in.
const std::string kA4 = "final region=Oversized box=297x210 center=1531.5,405 exact=1";
const std::string kA3First = "final region=Oversized box=411.6x291.06 center=215.8,155.53 exact=1";
const std::string kA3Second = "final region=Oversized box=411.6x291.06 center=630.8,155.53 exact=1";
const std::string kA3Third = "final region=Oversized box=411.6x291.06 center=1045.8,155.53 exact=1";
const std::string kA3Fourth = "final region=Oversized box=411.6x291.06 center=1460.8,155.53 exact=1";
const std::string kPolylines = "final region=Oversized box=378x267.3 center=199,443.65 exact=1";
const std::vector<std::string> kAutomatic = {kA4, kA3First, kA3Second, kA3Third, kA3Fourth};

// What the command printed itself: the panel it shows again reloads its plot styles and traces that, which is
// left out.
std::vector<std::string> printedBy(const std::vector<CommandOutput>& commands, const std::string& name,
                                   int occurrence = 1) {
  for (auto [command, lines] : commands) {
    if (command != name || --occurrence != 0) continue;
    std::erase_if(lines, [](const std::string& line) { return line.starts_with("DUZOZAREDPLOTSTYLEMODE "); });
    return lines;
  }
  ADD_FAILURE() << "no run " << occurrence << " of " << name;
  return {};
}

// Whether the command printed the line; "@probehost" answers come under the command before them.
bool printed(const std::vector<CommandOutput>& commands, const std::string& name, int occurrence,
             const std::string& line) {
  const std::vector<std::string> lines = printedBy(commands, name, occurrence);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The three layout counts of every status line printed, in order.
std::vector<std::string> layoutCounts(const std::string& output) {
  std::vector<std::string> counts;
  for (const std::string& line : linesOf(output)) {
    const auto at = line.find("layout_raw=");
    if (line.rfind("DUZOZAREDSTATUS ", 0) == 0 && at != std::string::npos) {
      counts.push_back(line.substr(at, line.find(" visible=") - at));
    }
  }
  return counts;
}

// The "final region=" lines of the candidate trace file the runs in `home` wrote.
std::vector<std::string> finalRegions(const ScratchHome& home) {
  std::vector<std::string> regions;
  for (const std::string& line : fileLines(home.temporary() + "/quodl-layout-candidates.txt")) {
    if (line.rfind("final region=", 0) == 0) regions.push_back(line);
  }
  return regions;
}

// The lines of the "@probehost" answers, in order.
std::vector<std::vector<std::string>> hostStates(const std::string& output) {
  std::vector<std::vector<std::string>> states;
  for (const std::string& line : linesOf(output)) {
    if (line.rfind("PROBE host ", 0) == 0) {
      states.push_back({line});
    } else if (line.rfind("PROBE view ", 0) == 0 || line.rfind("PROBE mark ", 0) == 0) {
      if (!states.empty()) states.back().push_back(line);
    }
  }
  return states;
}

class DrawingCommandsInCadhost : public ::testing::Test {
 protected:

  // Quodline, then the probe (which so outlives Quodline's unload), on the drawings.
  CadhostRun run(const std::vector<std::string>& drawings, const std::string& script) {
    std::vector<std::string> arguments{"--no-autoload", "--load", QUODL_MODULE, "--load", QUODL_PROBE};
    arguments.insert(arguments.end(), drawings.begin(), drawings.end());
    CadhostRun result = runProgram(QUODL_CADHOST, arguments, script, home_);
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    // Whatever ran, the host was never left pointing at a mark that was gone.
    EXPECT_EQ(result.output.find("destroyed while it was still shown"), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("with the host; they were removed"), std::string::npos) << result.output;
    return result;
  }

  std::string storedSettings() const {
    const std::vector<std::string> lines = fileLines(home_.path() + "/.config/quodline/defaults/standard.json");
    std::string text;
    for (const std::string& line : lines) text += line;
    return text;
  }

  ScratchHome home_;
};

TEST_F(DrawingCommandsInCadhost, EachPickChangesWhatTheNextScanFinds) {
  const struct {
    const char* what;
    std::string script;
    std::string counts;
    std::vector<std::string> regions;
    std::string message;
  } cases[] = {
      {"nothing picked", "", "layout_raw=5 layout_filtered=0 layout_final=5", kAutomatic, ""},
      {"the frame layer",
       "DUZOZAREDPICKLAYER\n63\n",
       "layout_raw=3 layout_filtered=2 layout_final=1",
       {kPolylines},
       "已取得图层：FRAME；将按该图层识别全部可打印图框。"},
      {"two frames, one of them twice",
       "DUZOZAREDPICKFRAMES\n49 4C 49\n",
       "layout_raw=2 layout_filtered=3 layout_final=2",
       {kA3First, kA3Second},
       "点选范围包含 2 个图块或矩形；只打印这些对象。"},
      {"the A4 block",
       "DUZOZAREDPICKBLOCK\n61\n",
       "layout_raw=1 layout_filtered=3 layout_final=1",
       {kA4},
       "已选择图块：TK-A4；将批量识别并打印全部同名图块。"},
      {"the A3 block",
       "DUZOZAREDPICKBLOCK\n4F\n",
       "layout_raw=4 layout_filtered=3 layout_final=4",
       {kA3First, kA3Second, kA3Third, kA3Fourth},
       "已选择图块：TK-A3；将批量识别并打印全部同名图块。"},
      {"a block, then a range", "DUZOZAREDPICKBLOCK\n61\nDUZOZAREDSELECTRANGE\n0,0\n900,320\n",
       "layout_raw=5 layout_filtered=0 layout_final=5", kAutomatic,
       "已限定布局框选打印范围；列表只保留范围内完整包含的图框。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // The sample opens on the Model tab; the picks work on the layout the user switched to.
    const CadhostRun result = run({kOversized}, "CTAB\nOversized\n" + c.script + "DUZOZAREDSTATUS\n");
    EXPECT_EQ(layoutCounts(result.output), std::vector<std::string>{c.counts}) << result.output;
    EXPECT_EQ(finalRegions(home_), c.regions);
    if (!c.message.empty()) {
      EXPECT_NE(result.output.find(c.message), std::string::npos) << result.output;
    }
  }
}

TEST_F(DrawingCommandsInCadhost, FailedAndHostileAnswersChangeNothing) {
  std::string hugeSelection, unknownHandles;
  for (int i = 0; i < 20000; ++i) hugeSelection += "49 4C ";
  for (int i = 0; i < 2000; ++i) unknownHandles += "FFFF" + std::to_string(i) + " ";
  const std::string script =
      "DUZOZAREDPICKLAYER\n"  // on the Model tab: no layout to pick on
      "CTAB\nOversized\n"
      "DUZOZAREDPICKLAYER\n63\n"
      "DUZOZAREDSTATUS\n"
      "DUZOZAREDPICKLAYER\n*CANCEL*\n"
      "DUZOZAREDPICKLAYER\n5000,5000\n"
      "DUZOZAREDPICKLAYER\nFFFFF\n"
      "DUZOZAREDPICKFRAMES\n*CANCEL*\n"
      "DUZOZAREDPICKFRAMES\n" +
      unknownHandles +
      "\n"
      "DUZOZAREDPICKFRAMES\n37\n"  // a model-space line: not on this layout
      "DUZOZAREDPICKFRAMES\n66\n"  // a text: not a frame
      "DUZOZAREDPICKBLOCK\n\n"
      "DUZOZAREDPICKBLOCK\n63\n"  // a polyline, not a block
      "DUZOZAREDSELECTRANGE\n0,0\n*CANCEL*\n"
      "DUZOZAREDSELECTRANGE\n0,0\n0.5,300\n"
      "DUZOZAREDSELECTRANGE\nnan,0\n1e999,1\n*CANCEL*\n"
      "DUZOZAREDSELECTRANGE\n-1.5e308,0\n1.5e308,50\n"
      "DUZOZAREDADDFRAME\n10,10\n10,10\n"
      "DUZOZAREDADDFRAME\n*CANCEL*\n"
      "DUZOZAREDSTATUS\n"
      "DUZOZAREDPICKFRAMES\n" +
      hugeSelection +
      "\n"
      "DUZOZAREDSTATUS\n";
  const CadhostRun result = run({kOversized}, script);
  const auto commands = outputByCommand(result.output);
  const std::string shown = "[vexBatchPrintPanelShow]";
  struct Expected {
    const char* command;
    int occurrence;
    std::string last;  // the command's last line
  };
  const Expected expected[] = {
      {"DUZOZAREDPICKLAYER", 1, "点选图层失败：无法进入当前选择的布局或模型空间。"},
      {"DUZOZAREDPICKLAYER", 3, "已取消点选图层。"},
      {"DUZOZAREDPICKLAYER", 4, "已取消点选图层。"},
      {"DUZOZAREDPICKLAYER", 5, "已取消点选图层。"},
      {"DUZOZAREDPICKFRAMES", 1, "已取消点选范围。"},
      {"DUZOZAREDPICKFRAMES", 2, "已取消点选范围。"},
      {"DUZOZAREDPICKFRAMES", 3, "已取消点选范围。"},
      {"DUZOZAREDPICKFRAMES", 4, "点选范围内没有可打印的图块或闭合矩形。"},
      {"DUZOZAREDPICKBLOCK", 1, "已取消点选图块。"},
      {"DUZOZAREDPICKBLOCK", 2, "点选图块失败：请选择位于可打印图层的图块参照。"},
      {"DUZOZAREDSELECTRANGE", 1, "已取消框选打印范围。"},
      {"DUZOZAREDSELECTRANGE", 2, "框选打印范围失败：所选范围过小。"},
      {"DUZOZAREDSELECTRANGE", 3, "已取消框选打印范围。"},
      {"DUZOZAREDSELECTRANGE", 4, "框选打印范围失败：无法转换角点坐标。"},
      {"DUZOZAREDADDFRAME", 1, "手动补框失败：所选图框过小。"},
      {"DUZOZAREDADDFRAME", 2, "已取消手动补框。"},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(testing::Message() << e.command << " #" << e.occurrence);
    const std::vector<std::string> lines = printedBy(commands, e.command, e.occurrence);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), e.last);
  }
  // The host says what it cannot take as a point, and asks again.
  const std::vector<std::string> hostile = printedBy(commands, "DUZOZAREDSELECTRANGE", 3);
  EXPECT_EQ(std::count(hostile.begin(), hostile.end(), "Invalid point."), 2) << result.output;

  // Everything after the layer pick left the scan as that pick made it; the huge selection is read once per
  // entity it names.
  EXPECT_EQ(layoutCounts(result.output), (std::vector<std::string>{"layout_raw=3 layout_filtered=2 layout_final=1",
                                                                   "layout_raw=3 layout_filtered=2 layout_final=1",
                                                                   "layout_raw=2 layout_filtered=3 layout_final=2"}));
  EXPECT_EQ(printedBy(commands, "DUZOZAREDPICKFRAMES", 5).back(), "点选范围包含 2 个图块或矩形；只打印这些对象。");
  EXPECT_EQ(finalRegions(home_), (std::vector<std::string>{kA3First, kA3Second}));
  // Stored for the panel's next start by the layer pick, then by the frame pick.
  EXPECT_NE(storedSettings().find("\"Quodline.FrameLayer\": \"FRAME\""), std::string::npos) << storedSettings();
  EXPECT_NE(storedSettings().find("\"Quodline.RecognitionMode\": 0"), std::string::npos) << storedSettings();
}

TEST_F(DrawingCommandsInCadhost, LocatingASheetOnAnotherLayoutSwitchesAndZoomsToIt) {
  const CadhostRun result = run({kLayouts},
                                "@probehost\n"
                                "QDLPROBEFOCUS\n0|A4 Portrait|0,0,210,297|0\n"
                                "DUZOZAREDFOCUS\n@probehost\n"
                                "REGEN\n@probehost\n"
                                "DUZOZAREDFOCUS\n");
  const auto states = hostStates(result.output);
  ASSERT_EQ(states.size(), 3u) << result.output;
  EXPECT_EQ(states[0][0], "PROBE host ctab=A3 Block cvport=1 editor-reactors=0 document-reactors=0 marks=0 vectors=0");
  // The sheet with 8 % around it fills the view of the A4 layout's paper; the red outline lasts until REGEN.
  EXPECT_EQ(states[1],
            (std::vector<std::string>{
                "PROBE host ctab=A4 Portrait cvport=1 editor-reactors=0 document-reactors=0 marks=0 vectors=4",
                "PROBE view layout=A4 Portrait viewport=1 min=-16.8,-23.76 max=226.8,320.76"}));
  EXPECT_NE(states[2][0].find("vectors=0"), std::string::npos);
  const auto commands = outputByCommand(result.output);
  EXPECT_TRUE(printed(commands, "DUZOZAREDFOCUS", 1, "已定位并用红框临时高亮；执行 REGEN 后高亮会消失。"));
  EXPECT_TRUE(printed(commands, "DUZOZAREDFOCUS", 2, "没有待定位的图框，请先在批打面板中选择一项。"));
}

// After locating, the return window stands in front of the drawing; its button leads back, through
// DUZOZAREDRETURN, to the full panel, and the window goes.
TEST_F(DrawingCommandsInCadhost, TheReturnWindowShowsAfterLocatingAndLeadsBack) {
  const std::string picture = home_.path() + "/return.png";
  const std::string locate = "QDLPROBEFOCUS\n0|A4 Portrait|0,0,210,297|0\nDUZOZAREDFOCUS\n";
  const std::string render = "@render batchPrintReturn " + picture + "\n";
  const std::string click = "@click batchPrintReturn returnToBatchPanel\n";
  const CadhostRun result = run({kLayouts}, locate + render + click + click);
  const std::vector<std::string> png = fileLines(picture);
  ASSERT_FALSE(png.empty()) << result.output;
  EXPECT_EQ(png.front().substr(0, 4), "\x89PNG");
  // The first click queued the way back, which the host ran; the window was gone for the second.
  EXPECT_NE(result.output.find("The window is not showing."), std::string::npos) << result.output;
  EXPECT_NE(storedSettings().find("\"Quodline.LiteMode\": false"), std::string::npos) << storedSettings();
}

// The sheets of Oversized as the panel would list them for marking, and a model-space area.
const std::string kMarkOversized =
    "QDLPROBEMARK\n0|Oversized|10,10,421.6,301.06|1\n"
    "QDLPROBEMARK\n0|Oversized|425,10,836.6,301.06|2\n"
    "QDLPROBEMARK\n0|Oversized|840,10,1251.6,301.06|3\n"
    "QDLPROBEMARK\n0|Oversized|1255,10,1666.6,301.06|4\n"
    "QDLPROBEMARK\n0|Oversized|1383,300,1680,510|5\n"
    "QDLPROBEMARK\n1||-300,-300,4300,300|6\n"
    "DUZOZAREDSHOWRANGES\n";

std::string markCount(const std::vector<std::string>& state) {
  const auto at = state.front().find(" marks=");
  return state.front().substr(at + 7, state.front().find(' ', at + 1) - at - 7);
}

TEST_F(DrawingCommandsInCadhost, MarksShowOnePerSheetAndGoAwayOnAnythingButViewing) {
  const CadhostRun result =
      run({kLayouts, kOversized},
          kMarkOversized +
              "@probehost\n"                             // 0: shown
              "'ZOOM\nE\nPAN\nREGEN\n@probehost\n"       // 1: kept by viewing
              "CTAB\nModel\n@probehost\n"                // 2: a layout switch
              + kMarkOversized + "MSPACE\n@probehost\n"  // 3: a viewport made current
              + kMarkOversized +
              "@activate layouts-frames.dxf\n@probehost\n"  // 4: another drawing
              "@activate oversized-layout.dxf\n" +
              kMarkOversized +
              "@close oversized-layout.dxf\n@probehost\n"                                // 5: closed
              "QDLPROBEMARK\n1||0,-1000,4000,1000|7\nDUZOZAREDSHOWRANGES\n@probehost\n"  // 6: model
              "UNLOAD\n@probehost\n");                                                   // 7: unloaded
  const auto states = hostStates(result.output);
  ASSERT_EQ(states.size(), 8u) << result.output;

  // One numbered mark (outline, two diagonals, number) per sheet of the layout, in its paper space.
  EXPECT_EQ(states[0],
            (std::vector<std::string>{
                "PROBE host ctab=Oversized cvport=1 editor-reactors=1 document-reactors=1 marks=20 vectors=0",
                "PROBE view layout=Oversized viewport=1 min=-73.5,-15 max=1763.5,535",
                "PROBE mark {\\fArial|b1|i0;1} at 215.8,155.53 in viewport 1",
                "PROBE mark {\\fArial|b1|i0;2} at 630.8,155.53 in viewport 1",
                "PROBE mark {\\fArial|b1|i0;3} at 1045.8,155.53 in viewport 1",
                "PROBE mark {\\fArial|b1|i0;4} at 1460.8,155.53 in viewport 1",
                "PROBE mark {\\fArial|b1|i0;5} at 1531.5,405 in viewport 1"}))
      << result.output;
  EXPECT_TRUE(printed(outputByCommand(result.output), "DUZOZAREDSHOWRANGES", 1,
                      "DUZOZAREDSHOWRANGES shown=5 hidden=1；返回批打界面后清除标记。"));
  EXPECT_EQ(markCount(states[1]), "20");
  for (std::size_t i = 2; i <= 5; ++i) EXPECT_EQ(markCount(states[i]), "0") << i;
  // The model-space area, on the Model tab, in its viewport.
  EXPECT_EQ(states[6].front(),
            "PROBE host ctab=Model cvport=2 editor-reactors=1 document-reactors=1 marks=4 vectors=0");
  EXPECT_EQ(states[6].back(), "PROBE mark {\\fArial|b1|i0;7} at 2000,0 in viewport 2");
  // Unloading leaves no mark and no reactor with the host.
  EXPECT_EQ(states[7].front(),
            "PROBE host ctab=Model cvport=2 editor-reactors=0 document-reactors=0 marks=0 vectors=0");
}

TEST_F(DrawingCommandsInCadhost, MarksShownWhenTheHostQuitsAreTakenDownWithThePlugIn) {
  // No command runs between the marks and the end: the unload itself must take them down, or the host reports
  // what the plug-in left behind (checked for every run).
  const CadhostRun result = run({kOversized}, kMarkOversized + "@probehost\n");
  const auto states = hostStates(result.output);
  ASSERT_EQ(states.size(), 1u) << result.output;
  EXPECT_EQ(markCount(states[0]), "20");
}

}  // namespace
