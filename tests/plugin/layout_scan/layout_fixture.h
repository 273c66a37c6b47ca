#pragma once
// Drawings with paper-space layouts for the layout-scan tests, and the scan run as the plug-in runs it. A
// layout is made as the host makes one: with its own paper-space viewport (number 1) covering the paper.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fixture.h"
#include "recognition/records.h"
#include "temp_folder.h"

namespace layout_test {

class LayoutScanTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // "Layout1" is the drawing's own first layout; other names are added. The paper is w × h millimetres.
  cad::ObjectId layout(const std::wstring& name, int tabOrder, double paperW = 420, double paperH = 297);
  cad::ObjectId space(cad::ObjectId layoutId) { return d.layoutSpace(layoutId); }
  // Content that reaches into a box: a few lines, a circle and a text (the fixture's sheet drawing).
  void content(cad::ObjectId layoutId, double minX, double minY, double maxX, double maxY);
  // `count` small texts spread over the box, each its own evidence item.
  void texts(cad::ObjectId layoutId, double minX, double minY, double maxX, double maxY, int count);
  // A block definition "A3图框"-like: a 420 × 297 title block under `name`.
  cad::ObjectId a3TitleBlock(const std::wstring& name = L"A3图框");

  // vexCollectPaperLayouts, checking that it leaves nothing open.
  std::vector<VexBatchPrintLayoutRecord> scan();
  static std::vector<VexBatchPrintLayoutRecord> windowsOf(const std::vector<VexBatchPrintLayoutRecord>& records,
                                                          const std::wstring& layoutName);

  recognition_test::DrawingFixture d;

 private:
  // The test's own temporary folder (TMPDIR while it runs), where its scans write their trace file: another
  // session's scan never rewrites it.
  std::unique_ptr<TempFolder> temporary_;
  std::optional<std::string> savedTmpdir_;
};

std::vector<std::wstring> sheetNames(const std::vector<VexBatchPrintLayoutRecord>& records);

// The candidate trace file, its lines without line ends; empty when it does not exist.
std::vector<std::string> traceFileLines();

}  // namespace layout_test
