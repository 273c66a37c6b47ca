#include "layout_fixture.h"

#include <cstdlib>

#include "recognition/layout/candidate_trace.h"
#include "recognition/layout_scan.h"
#include "recognition/recognition_state.h"
#include "test_files.h"

namespace layout_test {

void LayoutScanTest::SetUp() {
  vexBatchResetRecognitionStateForTesting();
  temporary_ = std::make_unique<TempFolder>("quodl-layout-scan");
  if (const char* tmpdir = std::getenv("TMPDIR")) savedTmpdir_ = tmpdir;
  setenv("TMPDIR", temporary_->path().c_str(), 1);
}

void LayoutScanTest::TearDown() {
  vexBatchResetRecognitionStateForTesting();
  if (savedTmpdir_) {
    setenv("TMPDIR", savedTmpdir_->c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  temporary_.reset();
}

cad::ObjectId LayoutScanTest::layout(const std::wstring& name, int tabOrder, double paperW, double paperH) {
  cad::ObjectId id = d.db().layoutId(name);
  if (id.isNull()) id = d.layout(name, tabOrder);
  auto& layout = d.object<cad::Layout>(id);
  layout.tabOrder = tabOrder;
  layout.paperWidthMm = paperW;
  layout.paperHeightMm = paperH;
  layout.plotCfgName = L"DWG To PDF.pc3";
  layout.canonicalMediaName = L"ISO_full_bleed_A3_(420.00_x_297.00_MM)";
  d.viewport(id, paperW / 2, paperH / 2, paperW, paperH);
  return id;
}

void LayoutScanTest::content(cad::ObjectId layoutId, double minX, double minY, double maxX, double maxY) {
  d.content(minX, minY, maxX, maxY, space(layoutId));
}

void LayoutScanTest::texts(cad::ObjectId layoutId, double minX, double minY, double maxX, double maxY, int count) {
  for (int i = 0; i < count; ++i) {
    double fx = (i + 0.5) / count;
    d.text(minX + fx * (maxX - minX) * 0.8 + 0.05 * (maxX - minX),
           minY + fx * (maxY - minY) * 0.8 + 0.05 * (maxY - minY), 2.5, L"注", L"0", space(layoutId));
  }
}

cad::ObjectId LayoutScanTest::a3TitleBlock(const std::wstring& name) { return d.titleBlock(name, 420, 297); }

std::vector<VexBatchPrintLayoutRecord> LayoutScanTest::scan() {
  std::vector<VexBatchPrintLayoutRecord> records = vexCollectPaperLayouts();
  EXPECT_TRUE(d.db().openObjects().empty()) << "the scan left objects open";
  EXPECT_EQ(d.db().strayCloses(), 0);
  return records;
}

std::vector<VexBatchPrintLayoutRecord> LayoutScanTest::windowsOf(const std::vector<VexBatchPrintLayoutRecord>& records,
                                                                 const std::wstring& layoutName) {
  std::vector<VexBatchPrintLayoutRecord> windows;
  for (const VexBatchPrintLayoutRecord& r : records) {
    if (r.layoutWindow && r.layoutName == layoutName) windows.push_back(r);
  }
  return windows;
}

std::vector<std::wstring> sheetNames(const std::vector<VexBatchPrintLayoutRecord>& records) {
  std::vector<std::wstring> names;
  for (const VexBatchPrintLayoutRecord& r : records) names.push_back(r.sheetName);
  return names;
}

std::vector<std::string> traceFileLines() { return fileLines(vexBatchLayoutCandidateTracePath()); }

}  // namespace layout_test
