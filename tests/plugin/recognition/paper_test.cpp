#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "recognition/paper.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

VexBatchPrintPaperSpec automatic(double w, double h) {
  return vexBatchPaperForMode(VexBatchPrintPaperModeAutomatic, w, h);
}

void expectPaper(const VexBatchPrintPaperSpec& paper, const std::wstring& name, double shortSide, double longSide) {
  EXPECT_EQ(paper.name, name);
  EXPECT_DOUBLE_EQ(paper.shortSide, shortSide);
  EXPECT_DOUBLE_EQ(paper.longSide, longSide);
}

TEST(PaperSpec, DefaultIsAnUnnamedA4Size) { expectPaper(VexBatchPrintPaperSpec(), L"", 210, 297); }

TEST(PaperForMode, A4InEveryFunctionAndOrientation) {
  for (auto [w, h] : {std::pair{210.0, 297.0}, std::pair{297.0, 210.0}}) {
    expectPaper(automatic(w, h), L"A4", 210, 297);
    VexBatchPrintPaperSpec iso, scaled;
    ASSERT_TRUE(vexBatchRecognizeIsoPaperFrame(w, h, iso));
    expectPaper(iso, L"A4", 210, 297);
    ASSERT_TRUE(vexBatchRecognizeScaledIsoModelFrame(w, h, scaled));
    expectPaper(scaled, L"A4", 210, 297);
  }
}

TEST(PaperForMode, AutomaticPicksTheNearestSizeOrFallsBackToA3) {
  struct Case {
    double w, h;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {300, 2100, L"A3"},   // a side above 2000
      {1000, 1000, L"A3"},  // nothing within 0.18
      {2000, 2000, L"A3"},  // allowed size, the error decides
      {841, 1189, L"A0"},  {594, 841, L"A1"},
      {420, 594, L"A2"},   {420.7, 297.7, L"A3"},  // a border drawn with a pen width
      {600, 425, L"A2"},                           // error 0.022
      {220, 310, L"A4"},                           // error 0.091, within 0.18
      {230, 330, L"A3"},                           // nearest is A4 at 0.206: too far
      {kNaN, 297, L"A3"},  {210, std::numeric_limits<double>::infinity(), L"A3"},
      {-210, -297, L"A3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
    VexBatchPrintPaperSpec paper = automatic(c.w, c.h);
    EXPECT_EQ(paper.name, c.expected);
  }
}

TEST(PaperForMode, FixedModesAreClamped) {
  struct Case {
    std::int64_t mode;
    const wchar_t* expected;
  };
  const Case cases[] = {{1, L"A4"}, {2, L"A3"},  {3, L"A2"},       {4, L"A1"},      {5, L"A0"},
                        {7, L"A0"}, {-1, L"A4"}, {INT_MIN, L"A4"}, {INT_MAX, L"A0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    // The measured size never matters for a fixed choice.
    EXPECT_EQ(vexBatchPaperForMode(static_cast<VexBatchPrintPaperMode>(c.mode), 841, 1189).name, c.expected);
  }
  expectPaper(vexBatchPaperForMode(VexBatchPrintPaperModeA1, 1, 1), L"A1", 594, 841);
}

TEST(RecognizeIsoPaperFrame, AcceptsIsoSizesWithinFourPercent) {
  VexBatchPrintPaperSpec paper;
  ASSERT_TRUE(vexBatchRecognizeIsoPaperFrame(420.7, 297.7, paper));
  expectPaper(paper, L"A3", 297, 420);
  ASSERT_TRUE(vexBatchRecognizeIsoPaperFrame(1189, 841, paper));
  expectPaper(paper, L"A0", 841, 1189);
}

TEST(RecognizeIsoPaperFrame, LengthenedSheetsKeepTheirMeasuredSides) {
  struct Case {
    double w, h;
    bool accepted;
    const wchar_t* name;
  };
  const Case cases[] = {
      {297, 630, true, L"A3加长"},   {630, 297, true, L"A3加长"},
      {295.5, 630, true, L"A3加长"},  // 1.5 mm narrower is still A3
      {294, 630, false, nullptr},     // 3 mm exceeds max(1.485, 1.5)
      {297, 1300, false, nullptr},    // long/short above 4
      {297, 300, false, nullptr},     // long/short below 1.15
      {210, 420, true, L"A4加长"},   {841, 1800, true, L"A0加长"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
    VexBatchPrintPaperSpec paper;
    EXPECT_EQ(vexBatchRecognizeIsoPaperFrame(c.w, c.h, paper), c.accepted);
    if (!c.accepted) continue;
    EXPECT_EQ(paper.name, c.name);
    EXPECT_DOUBLE_EQ(paper.shortSide, std::min(c.w, c.h));
    EXPECT_DOUBLE_EQ(paper.longSide, std::max(c.w, c.h));
  }
}

TEST(RecognizeIsoPaperFrame, OutOfRangeSizesLeaveThePaperAlone) {
  for (auto [w, h] : {std::pair{2001.0, 297.0}, std::pair{0.0, 297.0}, std::pair{-420.0, 297.0}, std::pair{kNaN, 297.0},
                      std::pair{297.0, kNaN}}) {
    SCOPED_TRACE(testing::Message() << w << " x " << h);
    VexBatchPrintPaperSpec paper{L"untouched", 1, 2};
    EXPECT_FALSE(vexBatchRecognizeIsoPaperFrame(w, h, paper));
    expectPaper(paper, L"untouched", 1, 2);
  }
}

TEST(RecognizeIsoPaperFrame, RejectedSizeLeavesTheAutomaticPaper) {
  VexBatchPrintPaperSpec paper{L"untouched", 1, 2};
  EXPECT_FALSE(vexBatchRecognizeIsoPaperFrame(297, 1300, paper));
  expectPaper(paper, L"A3", 297, 420);
}

TEST(RecognizeScaledIsoModelFrame, GivesTheUnscaledSheet) {
  struct Case {
    double w, h;
    const wchar_t* expected;  // nullptr: rejected
  };
  const Case cases[] = {
      {42000, 59400, L"A2"},       // A2 at 1:100 ties with A4 at 1:200: the smaller scale wins
      {29700, 42000, L"A3"},       // A3 at 1:100 beats A1 at 1:50 on error
      {84100, 118900, L"A0"},      // A0 at 1:100
      {59400, 84100, L"A1"},       // A1 at 1:100
      {4200, 5940, L"A2"},         // at 1:10
      {29.7, 42, L"A3"},           // at 0.1
      {21000, 29700, L"A2"},       // A4 at 1:100 is exactly A2 at 1:50: the smaller scale wins
      {2970 * 1.03, 4200, L"A3"},  // 1:10 within 0.04
      {297, 630, L"A3加长"},       // lengthened sheets pass through the ISO test
      {100000, 100000, nullptr},
      {29700, 200000, nullptr},  // long/short above 4
      {0.0000005, 0.000001, nullptr},
      {kNaN, 100, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
    VexBatchPrintPaperSpec paper;
    bool accepted = vexBatchRecognizeScaledIsoModelFrame(c.w, c.h, paper);
    ASSERT_EQ(accepted, c.expected != nullptr);
    if (accepted) {
      EXPECT_EQ(paper.name, c.expected);
    }
  }
  VexBatchPrintPaperSpec paper;
  ASSERT_TRUE(vexBatchRecognizeScaledIsoModelFrame(59400, 42000, paper));
  expectPaper(paper, L"A2", 420, 594);
}

}  // namespace
