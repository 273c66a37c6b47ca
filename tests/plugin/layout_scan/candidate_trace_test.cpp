// The candidate trace: its lines, the file at the end of a scan, and the care taken in writing that file in
// a folder that every user may write to.

#include "recognition/layout/candidate_trace.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <locale>
#include <sstream>

#include "layout_fixture.h"
#include "recognition/layout_scan.h"
#include "recognition/recognition_state.h"
#include "temp_folder.h"

namespace layout_test {
namespace {

using CandidateTraceTest = LayoutScanTest;

TEST_F(CandidateTraceTest, TheFileHoldsVersionCountsTraceLinesAndFinalRegions) {
  cad::ObjectId sheet = layout(L"布局1", 1, 500, 400);
  d.rectangle(10, 10, 430, 307, L"0", space(sheet));
  content(sheet, 10, 10, 430, 307);
  d.rectangle(1234000, 0, 1234420, 297, L"0", space(sheet));
  content(sheet, 1234000, 0, 1234420, 297);
  d.rectangle(20, 310, 170.5, 410, L"0", space(sheet));

  ASSERT_EQ(scan().size(), 3u);
  EXPECT_EQ(traceFileLines(), (std::vector<std::string>{
                                  "version=1.0.0-beta.9",
                                  "final-nested-excluded=0 final-count=3",
                                  "entity type=AcDbViewport box=500x400 center=250,200 plottable=1",
                                  "entity type=AcDbPolyline box=420x297 center=220,158.5 plottable=1",
                                  "entity type=AcDbPolyline box=420x297 center=1.23421e+06,148.5 plottable=1",
                                  "entity type=AcDbPolyline box=150.5x100 center=95.25,360 plottable=1",
                                  "candidate source=AcDbPolyline box=150.5x100 center=95.25,360 plottable=1 "
                                  "viewports=0 evidence=1",
                                  "final region=布局1 box=420x297 center=220,158.5 exact=1",
                                  "final region=布局1 box=420x297 center=1.23421e+06,148.5 exact=1",
                              }));
  // The lines in memory are the file's, minus the head and the final regions.
  EXPECT_EQ(gBatchLayoutCandidateTrace.size(), 5u);
}

TEST_F(CandidateTraceTest, EveryScanReplacesTheFile) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 500, 400);
  d.rectangle(10, 10, 430, 307, L"0", space(sheet));
  content(sheet, 10, 10, 430, 307);
  scan();
  ASSERT_EQ(traceFileLines().back(), "final region=Layout1 box=420x297 center=220,158.5 exact=1");
  gBatchFrameRecognitionMode = VexBatchFrameRecognitionDesignatedLayer;  // nothing on the designated layer
  gBatchDesignatedFrameLayer = L"图框";
  scan();
  EXPECT_EQ(traceFileLines(),
            (std::vector<std::string>{"version=1.0.0-beta.9", "final-nested-excluded=0 final-count=0",
                                      "entity type=AcDbViewport box=500x400 center=250,200 plottable=1",
                                      "entity type=AcDbPolyline box=420x297 center=220,158.5 "
                                      "plottable=1"}));
}

// A locale that groups digits in thousands, as a host's locale may.
struct GroupingPunct : std::numpunct<wchar_t> {
  wchar_t do_thousands_sep() const override { return L','; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(CandidateTraceLine, NumbersAreWrittenAsTheDefaultStreamWritesThemWhateverTheLocale) {
  std::locale before = std::locale::global(std::locale(std::locale::classic(), new GroupingPunct));
  EnclosingRectangle r;
  r.box = {-0.5, 1e-7, 1500.25, 2e-7};
  r.source = L"four-lines";
  r.plottable = false;
  std::wstring line = vexBatchCandidateTraceLine(r, 3, 12);
  std::locale::global(before);
  EXPECT_EQ(line,
            L"candidate source=four-lines box=1500.75x1e-07 center=749.875,1.5e-07 plottable=0 viewports=3 "
            L"evidence=12");
}

TEST(CandidateTraceLine, NumbersMatchTheDefaultWideStreamForEveryKindOfValue) {
  const double values[] = {0,       -0.0,     420,       297.5,    148.25,   1e-7,   123456, 999999,
                           1000000, 1234567,  -1234.567, 0.1,      1.0 / 3,  2500,   -8e21,  84100,
                           42000.5, 0.000123, 999999.5,  99999.95, -0.00001, 5e-324, 1.7e308};
  for (double v : values) {
    SCOPED_TRACE(v);
    VexBatchBox box{0, 0, v, v};
    std::wostringstream expected;
    expected << L"entity type=X box=" << v << L'x' << v << L" center=" << (0 + v) / 2 << L',' << (0 + v) / 2
             << L" plottable=1";
    EXPECT_EQ(vexBatchEntityTraceLine(L"X", box, true), expected.str());
  }
}

class TraceFileWriting : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = folder_.path();
    path_ = folder_ / "trace.txt";
  }

  static std::string contentOf(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  TempFolder folder_{"quodl-trace-test"};
  std::string dir_;
  std::string path_;
};

TEST_F(TraceFileWriting, ANewFileIsTheUsersAloneAndAnOldOneIsReplacedWhole) {
  ASSERT_TRUE(vexBatchWriteCandidateTraceFile(path_, "a much longer first version\n"));
  struct stat info {};
  ASSERT_EQ(::stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_TRUE(vexBatchWriteCandidateTraceFile(path_, "second\n"));
  EXPECT_EQ(contentOf(path_), "second\n");
}

TEST_F(TraceFileWriting, NeverWritesThroughALinkIntoADeviceOrIntoAFolder) {
  const std::string target = dir_ + "/victim";
  { std::ofstream(target) << "keep me"; }

  ASSERT_EQ(::symlink(target.c_str(), path_.c_str()), 0);
  EXPECT_FALSE(vexBatchWriteCandidateTraceFile(path_, "x"));
  EXPECT_EQ(contentOf(target), "keep me");
  ::unlink(path_.c_str());

  ASSERT_EQ(::link(target.c_str(), path_.c_str()), 0);
  EXPECT_FALSE(vexBatchWriteCandidateTraceFile(path_, "x"));
  EXPECT_EQ(contentOf(target), "keep me");
  ::unlink(path_.c_str());

  ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
  EXPECT_FALSE(vexBatchWriteCandidateTraceFile(path_, "x"));  // returns at once: nobody reads the pipe
  ::unlink(path_.c_str());

  ASSERT_EQ(::mkdir(path_.c_str(), 0700), 0);
  EXPECT_FALSE(vexBatchWriteCandidateTraceFile(path_, "x"));
}

TEST_F(CandidateTraceTest, ALinkPlantedAtTheTracePathIsLeftAloneAndTheScanStillAnswers) {
  const std::string trace = vexBatchLayoutCandidateTracePath();
  const TempFolder elsewhere("quodl-trace-victim");
  const std::string victim = elsewhere / "victim";
  std::ofstream(victim) << "keep me";
  ASSERT_EQ(::symlink(victim.c_str(), trace.c_str()), 0);

  cad::ObjectId sheet = layout(L"Layout1", 1, 500, 400);
  d.rectangle(10, 10, 430, 307, L"0", space(sheet));
  content(sheet, 10, 10, 430, 307);
  EXPECT_EQ(windowsOf(scan(), L"Layout1").size(), 1u);

  std::ifstream in(victim);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep me");
  ::unlink(trace.c_str());
}

}  // namespace
}  // namespace layout_test
