// The four tiles, the summary line and the diagnostics line: recomputed from the rows and the last scans at every
// change of the list; nothing is kept between updates.

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "foundation/format.h"
#include "foundation/transforms.h"
#include "panels/batch_print_panel_controller.h"
#include "recognition/recognition_state.h"
#include "toolkit/segmented_control.h"
#include "toolkit/text_field.h"
#include "ui/localisation.h"
#include "ui/modern_metric.h"

namespace {

// The paper a row's text names: what stands before the first bar.
std::string paperKey(const std::string& paperName) {
  const std::string key = paperName.substr(0, paperName.find("｜"));
  return key.empty() ? QDLT("自动匹配") : key;
}

long n(std::uint64_t value) { return static_cast<long>(value); }

}  // namespace

void VexBatchPrintPanelController::updateWorkspaceStatistics() {
  std::uint64_t printable = 0;
  std::uint64_t selected = 0;
  std::map<std::string, std::uint64_t> tally;
  for (const auto& row : allRows_) {
    if (row->layoutName.empty()) continue;
    ++printable;
    if (!row->selected) continue;
    ++selected;
    ++tally[paperKey(row->paperName)];
  }
  std::vector<std::pair<std::string, std::uint64_t>> papers(tally.begin(), tally.end());
  std::stable_sort(papers.begin(), papers.end(),
                   [](const auto& a, const auto& b) { return foundation::naturalCompare(a.first, b.first) < 0; });
  std::string lines;
  for (const auto& [paper, count] : papers) {
    if (!lines.empty()) lines += "，";
    lines += foundation::format("%@ × %@", paper, count);
  }

  const auto removed = static_cast<std::uint64_t>(removedRows_.size());
  const std::uint64_t excluded = blankExcludedCount_ + removed;
  struct Tile {
    std::uint64_t value;
    std::string detail;
    std::string explanation;
  };
  const Tile tiles[] = {
      {allRows_.size() + excluded, foundation::format(QDLT("已选择 %lu 个"), selected),
       QDLT("当前空间与范围的可用页面、空白过滤候选及手动移除之和；不代表 DWG 文件数。")},
      {printable, printable != 0 ? QDLT("识别成功") : QDLT("暂无可打印图纸"),
       QDLT("当前范围内识别并保留的页面（含手动补框）")},
      {excluded, foundation::format(QDLT("空白 %lu · 移除 %lu"), blankExcludedCount_, removed),
       QDLT("当前范围内被空白矩形过滤器移除的候选（同位置去重）及手动移除；不包含未勾选、搜索隐藏或其他几何规则排除。")},
      {selected, selected != 0 ? lines : QDLT("未选择页面"),
       QDLT("按全部已勾选页面预计，不受搜索隐藏影响；合并或拆分 PDF 不改变页数，最终以打印成功结果为准。")},
  };
  const auto& metrics = workspace_->metrics();
  for (std::size_t i = 0; i < metrics.size() && i < std::size(tiles); ++i) {
    QDLModernMetric& metric = *metrics[i];
    const std::string value = foundation::format("%lu", tiles[i].value);
    metric.valueLabel()->setStringValue(value);
    metric.detailLabel()->setStringValue(tiles[i].detail);
    metric.setToolTip(foundation::format("%@\n%@", tiles[i].explanation, tiles[i].detail));
    metric.titleLabel()->setToolTip(tiles[i].explanation);
    metric.setAccessibilityLabel(
        foundation::format("%@：%@，%@", metric.titleLabel()->stringValue(), value, tiles[i].detail));
  }
}

void VexBatchPrintPanelController::updateSummary() {
  updateWorkspaceStatistics();

  const auto selected = std::count_if(allRows_.begin(), allRows_.end(), [](const auto& row) { return row->selected; });
  const bool layouts = sourceMode_->selectedSegment() == 0;
  std::string status = recognitionStatusLabel_->stringValue();
  if (status.empty()) status = QDLT("自动识别");
  summaryLabel_->setStringValue(foundation::format(
      QDLT("共 %ld 个%@，已选 %ld 个；当前显示 %ld 个；手动 %ld 个；暂时移除 %ld 个；%@"),
      static_cast<long>(allRows_.size()), layouts ? QDLT("布局") : QDLT("图框"), static_cast<long>(selected),
      static_cast<long>(rows_.size()), static_cast<long>(manualRows_.size()), static_cast<long>(removedRows_.size()),
      status));

  std::string first;
  std::string second;
  if (layouts) {
    const VexBatchScanDiagnostics& d = gBatchLayoutDiagnostics;
    first = foundation::format(
        QDLT("识别诊断｜原始图框 %ld，多视口外框 %ld→%ld，单视口外框 %ld→%ld，纸空间外框 %ld→%ld，图块优先排除外框 %ld，"
             "内部小框排除 %ld，几何闭合 %ld，旧式曲线矩形 %ld，规则排除 %ld"),
        n(d.rawCandidates), n(d.enclosingCandidates), n(d.promotedEnclosures), n(d.singleViewportCandidates),
        n(d.promotedSingleViewportFrames), n(d.contentOnlyCandidates), n(d.promotedContentOnlyFrames),
        n(d.lowerPriorityOuterExcluded), n(d.nestedChildExcluded), n(d.geometryClosedRectangles),
        n(d.legacyCurveRectangles), n(d.filteredOut));
    second = foundation::format(
        QDLT("图框视口｜无 %ld，单个 %ld，多个 %ld；编号视口 %ld，辅助配对 %ld，最终图框 %ld，视口回退排除 %ld，重复排除 "
             "%ld，全部扫描 %ld，当前范围 %ld"),
        n(d.acceptedWithoutViewport), n(d.acceptedSingleViewport), n(d.acceptedMultipleViewports), n(d.viewports),
        n(d.matched), n(d.outerFrameGroups), n(d.suppressedFallbackViewports), n(d.duplicates), n(d.finalCount),
        static_cast<long>(allRows_.size()));
  } else {
    const VexBatchScanDiagnostics& d = gBatchModelDiagnostics;
    first = foundation::format(QDLT("识别诊断｜原始候选 %ld，旋转待适配 %ld，动态块 %ld，Xref %ld，非等比块 %ld"),
                               n(d.rawCandidates), n(d.rotatedCandidates), n(d.dynamicBlockReferences),
                               n(d.externalReferenceBlocks), n(d.nonUniformScaleReferences));
    second = foundation::format(QDLT("规则排除 %ld，重复排除 %ld，内部小框排除 %ld，图块优先排除外框 %ld，最终图框 %ld"),
                                n(d.filteredOut), n(d.duplicates), n(d.nestedChildExcluded),
                                n(d.lowerPriorityOuterExcluded), n(d.finalCount));
  }
  const std::string diagnostics = foundation::format("%@\n%@", first, second);
  diagnosticsLabel_->setStringValue(diagnostics);
  diagnosticsLabel_->setToolTip(diagnostics);
}
