// Which merged jobs can share one engine document: pages on the same plotted paper and the same layout.
#include "plot/merged_job_checks.h"

#include <gtest/gtest.h>

namespace {

VexBatchPrintPageSpec frame(const wchar_t* layout, double width, double height, VexBatchPrintPaperSpec paper) {
  VexBatchPrintPageSpec page;
  page.name = std::wstring(layout) + L" frame";
  page.layoutName = layout;
  page.maxX = width;
  page.maxY = height;
  page.layoutWindow = true;
  page.exactPaperFrame = true;
  page.paper = std::move(paper);
  return page;
}

VexBatchPrintPageSpec wholeLayout(const wchar_t* layout, VexBatchPrintPaperSpec paper) {
  VexBatchPrintPageSpec page;
  page.name = layout;
  page.layoutName = layout;
  page.paper = std::move(paper);
  return page;
}

VexBatchPrintPageSpec modelFrame(double width, double height, VexBatchPrintPaperSpec paper) {
  VexBatchPrintPageSpec page;
  page.source = VexBatchPrintSourceModel;
  page.name = L"model frame";
  page.layoutName = L"Model";
  page.maxX = width;
  page.maxY = height;
  page.paper = std::move(paper);
  return page;
}

const VexBatchPrintPaperSpec kA4{L"A4", 210, 297};
const VexBatchPrintPaperSpec kA3{L"A3", 297, 420};
const VexBatchPrintPaperSpec kA1{L"A1", 594, 841};
const VexBatchPrintPaperSpec kA3Long{L"A3加长", 297, 630};

struct Case {
  const char* what;
  std::vector<VexBatchPrintPageSpec> pages;
  bool mixedMedia;
  bool crossesLayouts;
};

TEST(MergedJobChecksTest, SamePaperAndLayoutOrNot) {
  VexBatchPrintPageSpec overridden = frame(L"Sheet", 420, 297, kA4);
  overridden.paperOverridden = true;
  VexBatchPrintPageSpec unnamedLayout = wholeLayout(L"", kA3);
  unnamedLayout.name = L"Sheet";
  const std::vector<Case> cases = {
      {"nothing", {}, false, false},
      {"one page", {frame(L"Sheet", 420, 297, kA3)}, false, false},
      {"two A3 on one layout", {frame(L"Sheet", 420, 297, kA3), frame(L"Sheet", 420, 297, kA3)}, false, false},
      {"A3 and A4 on one layout", {frame(L"Sheet", 420, 297, kA3), frame(L"Sheet", 297, 210, kA4)}, true, false},
      {"two A3 on two layouts", {frame(L"One", 420, 297, kA3), frame(L"Two", 420, 297, kA3)}, false, true},
      {"layout names compare exactly", {frame(L"Sheet", 420, 297, kA3), frame(L"sheet", 420, 297, kA3)}, false, true},
      // A lengthened A3 is plotted on the A3 carrier; the PDF page is cut to its size afterwards.
      {"A3 and lengthened A3", {frame(L"Sheet", 420, 297, kA3), frame(L"Sheet", 630, 297, kA3Long)}, false, false},
      // A paper chosen by the user is applied to the PDF; the plot uses the paper of the frame itself.
      {"A3 frame overridden to A4", {frame(L"Sheet", 420, 297, kA3), overridden}, false, false},
      {"whole layouts on two papers", {wholeLayout(L"Sheet", kA3), wholeLayout(L"Sheet", kA4)}, true, false},
      {"a layout without paper is left out",
       {wholeLayout(L"Sheet", {L"", 0, 0}), wholeLayout(L"Sheet", kA3), wholeLayout(L"Sheet", kA3)},
       false,
       false},
      {"the layout key falls back to the name", {unnamedLayout, wholeLayout(L"Sheet", kA3)}, false, false},
      {"model frames of one paper", {modelFrame(84100, 59400, kA1), modelFrame(84100, 59400, kA1)}, false, false},
      {"model frames of two papers", {modelFrame(84100, 59400, kA1), modelFrame(42000, 29700, kA3)}, true, false},
      {"model and layout", {modelFrame(42000, 29700, kA3), frame(L"Sheet", 420, 297, kA3)}, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(vexBatchMergedJobHasMixedMedia(c.pages), c.mixedMedia);
    EXPECT_EQ(vexBatchMergedJobCrossesLayouts(c.pages), c.crossesLayouts);
  }
}

}  // namespace
