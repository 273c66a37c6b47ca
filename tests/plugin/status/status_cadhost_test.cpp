// DUZOZAREDSTATUS typed in cadhost with the built plug-in, on each sample drawing: the status line's layout
// counts and the final regions of the candidate trace file that the same scan wrote.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cadhost_run.h"
#include "test_files.h"

namespace {

const std::string kIdleTail =
    " visible=NO last=NONE_OR_FAIL cancelled=NO recoverable=NO remaining=0 completed=0/0 items=0 pages=0 outputs=0 "
    "output=- log=- error=-";

struct Sample {
  const char* file;
  const char* counts;  // the three layout fields of the status line
  std::vector<std::string> regions;
};

const Sample kSamples[] = {
    {"layouts-frames.dxf",
     "layout_raw=3 layout_filtered=0 layout_final=3",
     {"final region=A3 Block box=420x297 center=210,148.5 exact=1",
      "final region=A3 Polylines box=420x297 center=210,148.5 exact=1",
      "final region=A4 Portrait box=210x297 center=105,148.5 exact=1"}},
    // Four A3 title blocks at 0.98 and an A4 turned a quarter turn above them; the A3 drawn at 0.9 as loose
    // polylines is no ISO sheet and has no viewport or content of its own, so it is not offered.
    {"oversized-layout.dxf",
     "layout_raw=5 layout_filtered=0 layout_final=5",
     {"final region=Oversized box=297x210 center=1531.5,405 exact=1",
      "final region=Oversized box=411.6x291.06 center=215.8,155.53 exact=1",
      "final region=Oversized box=411.6x291.06 center=630.8,155.53 exact=1",
      "final region=Oversized box=411.6x291.06 center=1045.8,155.53 exact=1",
      "final region=Oversized box=411.6x291.06 center=1460.8,155.53 exact=1"}},
    // No frame: the three viewports are spread over more than one and a half sheets, so each is a sheet.
    {"viewports-only.dxf",
     "layout_raw=0 layout_filtered=0 layout_final=4",
     {"final region=Viewports box=180x130 center=320,220 exact=0",
      "final region=Viewports box=200x260 center=110,150 exact=0",
      "final region=Viewports box=180x130 center=320,80 exact=0"}},
    {"chinese-layouts.dxf",
     "layout_raw=3 layout_filtered=0 layout_final=3",
     {"final region=平面图 box=420x297 center=210,148.5 exact=1",
      "final region=立面图 box=420x297 center=210,148.5 exact=1",
      "final region=剖面图 1-1 box=420x297 center=210,148.5 exact=1"}},
    // Frames in model space only; the one empty layout is a record that is not offered.
    {"model-a1-grid-1to100.dxf", "layout_raw=0 layout_filtered=0 layout_final=1", {}},
};

// The candidate trace file the runs in `home` wrote.
std::vector<std::string> traceLines(const ScratchHome& home) {
  return fileLines(home.temporary() + "/quodl-layout-candidates.txt");
}

std::vector<std::string> finalRegions(const std::vector<std::string>& lines) {
  std::vector<std::string> regions;
  for (const std::string& line : lines) {
    if (line.rfind("final region=", 0) == 0) regions.push_back(line);
  }
  return regions;
}

std::vector<std::string> statusLines(const std::string& output) {
  std::vector<std::string> lines;
  for (const std::string& line : linesOf(output)) {
    if (line.rfind("DUZOZAREDSTATUS ", 0) == 0 || line.rfind("DUZOZAREDBUILD ", 0) == 0) lines.push_back(line);
  }
  return lines;
}

class StatusInCadhost : public ::testing::Test {
 protected:
  CadhostRun run(const std::vector<std::string>& drawings, const std::string& script) {
    std::vector<std::string> arguments{"--no-autoload", "--load", QUODL_MODULE};
    arguments.insert(arguments.end(), drawings.begin(), drawings.end());
    CadhostRun result = runProgram(QUODL_CADHOST, arguments, script, home_);
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    return result;
  }
  ScratchHome home_;
};

TEST_F(StatusInCadhost, EachSampleReportsItsLayoutCountsAndLeavesItsRegionsInTheTrace) {
  for (const Sample& sample : kSamples) {
    SCOPED_TRACE(sample.file);
    const CadhostRun result =
        run({std::string(QUODL_SAMPLES) + "/" + sample.file}, "DUZOZAREDSTATUS\nDUZOZAREDSTATUS\n");
    const std::vector<std::string> lines = statusLines(result.output);
    ASSERT_EQ(lines.size(), 4u) << result.output;
    EXPECT_EQ(lines[0], "DUZOZAREDBUILD print_fix=mac-layout-isolation-20260918-r1");
    EXPECT_TRUE(lines[1].starts_with("DUZOZAREDSTATUS version=1.0.0-beta.9 product=quodline ctbfix=20 "));
    const std::string expectedTail = std::string(sample.counts) + kIdleTail;
    EXPECT_TRUE(lines[1].ends_with(expectedTail)) << lines[1];
    // The report repeats itself: the scan is run again with the same result.
    EXPECT_EQ(lines[3], lines[1]);

    const std::vector<std::string> trace = traceLines(home_);
    ASSERT_GE(trace.size(), 2u);
    EXPECT_EQ(trace[0], "version=1.0.0-beta.9");
    const std::string finalCount = std::string(sample.counts).substr(std::string(sample.counts).rfind('=') + 1);
    EXPECT_EQ(trace[1], "final-nested-excluded=0 final-count=" + finalCount);
    EXPECT_EQ(finalRegions(trace), sample.regions);
  }
}

TEST_F(StatusInCadhost, WithoutADrawingTheCountsAreZeroAndNoTraceIsWritten) {
  const CadhostRun result = run({}, "DUZOZAREDSTATUS\n");
  const std::vector<std::string> lines = statusLines(result.output);
  ASSERT_EQ(lines.size(), 2u) << result.output;
  EXPECT_TRUE(lines[1].ends_with("layout_raw=0 layout_filtered=0 layout_final=0" + kIdleTail)) << lines[1];
  EXPECT_TRUE(traceLines(home_).empty());
}

}  // namespace
