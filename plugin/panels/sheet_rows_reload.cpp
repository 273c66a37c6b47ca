// The rows from recognition: a reload rebuilds them for the selected source and scope, keeps the manual rows
// while the drawing stays, and refills the plot-style choice for the drawing's kind of plot styles.

#include <algorithm>
#include <climits>
#include <string>

#include "cad/command_line.h"
#include "core/host_bridge.h"
#include "core/recognition_link.h"
#include "foundation/format.h"
#include "foundation/transforms.h"
#include "foundation/user_defaults.h"
#include "panels/batch_print_panel_controller.h"
#include "plot/plot_style_queries.h"
#include "recognition/blank_frames.h"
#include "recognition/layout_scan.h"
#include "recognition/model_scan.h"
#include "recognition/paper.h"
#include "recognition/recognition_state.h"
#include "toolkit/application.h"
#include "toolkit/table_view.h"
#include "ui/application_panel.h"
#include "toolkit/menu.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/segmented_control.h"
#include "toolkit/text_field.h"
#include "ui/localisation.h"

namespace {

constexpr double kRangeMargin = 0.5;

bool insideRange(double minX, double minY, double maxX, double maxY, const VexBatchLayoutSelectionRange& range) {
  return minX >= range.minX - kRangeMargin && minY >= range.minY - kRangeMargin &&
         maxX <= range.maxX + kRangeMargin && maxY <= range.maxY + kRangeMargin;
}

std::string text(const std::wstring& wide) { return vexBatchNSString(wide); }

std::string paperText(const std::wstring& name, double a, double b) {
  return foundation::format("%@｜%.0f × %.0f", name, a, b);
}

void keepOriginalPaper(VexBatchPrintRow& row) {
  row.originalPaperName = row.paperName;
  row.originalPaperShortSide = row.paperShortSide;
  row.originalPaperLongSide = row.paperLongSide;
  row.paperOverridden = false;
}

// Without extension, and lower-cased for comparison.
std::string baseName(const std::string& name) {
  const auto dot = name.find_last_of('.');
  return foundation::lowercased(dot == std::string::npos || dot == 0 ? name : name.substr(0, dot));
}

bool endsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

void VexBatchPrintPanelController::reloadFromActiveDrawing() {
  reloadPlotStylesForActiveDrawing();
  refreshResolvedOutputPath();

  const std::string key = vexBatchCurrentDrawingKey();
  // Before its first load the panel has no drawing of its own: frames, a block or a range picked before it stay
  // only when they were picked on this drawing.
  const std::string earlier = drawingKey_.empty() ? pickedChoicesDrawingKey() : drawingKey_;
  drawingKey_ = key;
  if (!earlier.empty() && earlier != key) {
    manualRows_.clear();
    removedRows_.clear();
    gBatchSelectedFrameEntityIds.clear();
    gBatchLayoutSelectionRange = VexBatchLayoutSelectionRange();
    gBatchDesignatedFrameBlock.clear();
    if (gBatchFrameRecognitionMode == VexBatchFrameRecognitionPickedEntities ||
        gBatchFrameRecognitionMode == VexBatchFrameRecognitionDesignatedBlock) {
      gBatchFrameRecognitionMode = VexBatchFrameRecognitionAutomatic;
    }
  }

  updateRecognitionStatus();
  allRows_.clear();
  rows_.clear();

  loadedSource_ = sourceMode_->selectedSegment();
  loadedScope_ = layoutScope_->selectedSegment();
  const VexBatchPrintSource source = loadedSource_ == 0 ? VexBatchPrintSourceLayout : VexBatchPrintSourceModel;
  std::wstring currentLayout;
  bool currentOnly = false;
  if (source == VexBatchPrintSourceModel) {
    reloadModelRows();
  } else {
    currentLayout = vexBatchCurrentLayoutName();
    // On the Model tab, or with no drawing, there is no current layout to narrow the list to: every layout is
    // listed.
    currentOnly = layoutScope_->selectedSegment() == 0 && !currentLayout.empty() && currentLayout != L"Model";
    reloadLayoutRows(currentLayout, currentOnly);
  }
  for (const auto& row : manualRows_) {
    if (row->source == source) allRows_.push_back(row);
  }
  removedRows_.clear();
  countBlankFrames(currentLayout, currentOnly);
  applyFilterAndSort();
  refreshRecoveryState();
}

void VexBatchPrintPanelController::reloadModelRows() {
  const VexBatchLayoutSelectionRange& range = gBatchLayoutSelectionRange;
  const bool ranged = range.active && range.kind == VexBatchPrintSourceModel;
  for (const VexBatchPrintFrameRecord& frame : vexCollectModelFrames()) {
    if (ranged && !insideRange(frame.minX, frame.minY, frame.maxX, frame.maxY, range)) continue;
    auto row = std::make_shared<VexBatchPrintRow>();
    row->selected = true;
    row->source = VexBatchPrintSourceModel;
    row->layoutName = text(frame.name);
    row->sourceName = row->layoutName;
    row->setupName = frame.layer.empty() ? QDLT("模型空间") : text(frame.layer);
    row->minX = frame.minX;
    row->minY = frame.minY;
    row->maxX = frame.maxX;
    row->maxY = frame.maxY;
    const double w = frame.maxX - frame.minX;
    const double h = frame.maxY - frame.minY;
    const VexBatchPrintPaperSpec paper = vexBatchPaperForMode(VexBatchPrintPaperModeAutomatic, w, h);
    row->paperShortSide = paper.shortSide;
    row->paperLongSide = paper.longSide;
    row->paperName = paperText(paper.name, w, h);
    keepOriginalPaper(*row);
    allRows_.push_back(row);
  }
  headingLabel_->setStringValue(QDLT("模型空间图框"));
  statusLabel_->setStringValue(
      allRows_.empty() ? QDLT("未识别到图框。自动识别当前空间直接放置的矩形和标准图块图框。")
                       : QDLT("模型图框复用布局物理边界规则，不依赖视口；DWG 不修改、不保存。"));
  paperMode_->setEnabled(true);
  layoutScope_->setEnabled(false);
}

void VexBatchPrintPanelController::reloadLayoutRows(const std::wstring& currentLayout, bool currentOnly) {
  const VexBatchLayoutSelectionRange& range = gBatchLayoutSelectionRange;
  const bool ranged = range.active && range.kind == VexBatchPrintSourceLayout;
  for (const VexBatchPrintLayoutRecord& record : vexCollectPaperLayouts()) {
    if (currentOnly && !currentLayout.empty() && record.layoutName != currentLayout) continue;
    if (ranged && (!record.layoutWindow || record.layoutName != range.layoutName ||
                   !insideRange(record.minX, record.minY, record.maxX, record.maxY, range))) {
      continue;
    }
    if (!record.layoutWindow && !record.wholeLayout) continue;
    auto row = std::make_shared<VexBatchPrintRow>();
    row->selected = true;
    row->source = VexBatchPrintSourceLayout;
    row->layoutName = text(record.sheetName);
    row->sourceName = text(record.layoutName);
    row->setupName = text(record.plotConfigName);
    row->layoutWindow = record.layoutWindow;
    row->exactPaperFrame = record.exactPaperFrame;
    row->minX = record.minX;
    row->minY = record.minY;
    row->maxX = record.maxX;
    row->maxY = record.maxY;
    row->enclosedViewportCount = record.enclosedViewportCount;
    row->activeViewportCount = record.activeViewportCount;
    if (record.layoutWindow) {
      row->paperShortSide = record.paper.shortSide;
      row->paperLongSide = record.paper.longSide;
      row->paperName = paperText(record.paper.name, record.paperWidth, record.paperHeight);
      row->setupName = foundation::format("%@｜%@", row->sourceName,
                                          record.exactPaperFrame ? QDLT("实际图框") : QDLT("视口推算"));
      if (!record.frameLayer.empty()) row->setupName += foundation::format("｜%@", record.frameLayer);
    } else {
      const VexBatchPrintPaperSpec paper =
          vexBatchPaperForMode(VexBatchPrintPaperModeAutomatic, record.paperWidth, record.paperHeight);
      row->paperShortSide = paper.shortSide;
      row->paperLongSide = paper.longSide;
      row->paperName = text(record.canonicalMediaName.empty() ? paper.name : record.canonicalMediaName);
    }
    keepOriginalPaper(*row);
    row->sourceTabOrder = record.tabOrder;
    allRows_.push_back(row);
  }
  headingLabel_->setStringValue(currentOnly ? foundation::format(QDLT("当前布局：%@"), currentLayout)
                                            : QDLT("当前图纸：全部布局 / 布局图框"));
  statusLabel_->setStringValue(allRows_.empty()
                                   ? QDLT("当前图纸没有可打印布局。")
                                   : QDLT("超大布局会按其中的图框视口逐张输出；普通布局仍按整张输出。DWG 不修改、不保存。"));
  paperMode_->setEnabled(true);
  layoutScope_->setEnabled(true);
}

void VexBatchPrintPanelController::countBlankFrames(const std::wstring& currentLayout, bool currentOnly) {
  const bool layouts = sourceMode_->selectedSegment() == 0;
  const VexBatchScanDiagnostics& diagnostics = layouts ? gBatchLayoutDiagnostics : gBatchModelDiagnostics;
  const std::wstring layoutFilter = layouts && currentOnly ? currentLayout : std::wstring();
  const VexBatchLayoutSelectionRange& range = gBatchLayoutSelectionRange;
  const VexBatchPrintSource source = layouts ? VexBatchPrintSourceLayout : VexBatchPrintSourceModel;
  if (range.active && range.kind == source) {
    // Model-space blank frames carry no layout name.
    const QDLExcludedBlankFrame window(layouts ? range.layoutName : std::wstring(), range.minX, range.minY,
                                       range.maxX, range.maxY);
    blankExcludedCount_ = QDLCountExcludedBlankFrames(diagnostics.excludedBlankFrames, layoutFilter, &window);
  } else {
    blankExcludedCount_ = QDLCountExcludedBlankFrames(diagnostics.excludedBlankFrames, layoutFilter, nullptr);
  }
}

void VexBatchPrintPanelController::reloadPlotStylesForActiveDrawing() {
  if (!plotStyleMode_) return;
  std::string preferred;
  if (const toolkit::MenuItem* item = plotStyleMode_->selectedItem()) {
    preferred = item->representedObject().value_or("");
  }
  if (preferred.empty()) {
    preferred = foundation::UserDefaults::standard().stringForKey("Quodline.PlotStyle").value_or("");
  }
  const std::string suffix = vexBatchNSString(vexBatchRequiredPlotStyleSuffix());
  const std::vector<std::string> styles = vexBatchAvailablePlotStyles(false);

  plotStyleMode_->removeAllItems();
  plotStyleMode_->addItemWithTitle(QDLT("按布局设置"));
  plotStyleMode_->lastItem()->setRepresentedObject(std::string());
  for (const std::string& style : styles) {
    plotStyleMode_->addItemWithTitle(style);
    plotStyleMode_->lastItem()->setRepresentedObject(style);
  }

  std::string target;
  if (endsWith(foundation::lowercased(preferred), suffix)) {
    target = preferred;
  } else if (preferred.size() > 4) {
    const auto same = std::find_if(styles.begin(), styles.end(),
                                   [&](const std::string& style) { return baseName(style) == baseName(preferred); });
    if (same != styles.end()) target = *same;
  }
  long chosen = 0;
  const std::string wanted = foundation::lowercased(target);
  for (long i = 1; i < plotStyleMode_->numberOfItems(); ++i) {
    if (foundation::lowercased(plotStyleMode_->itemAtIndex(i)->representedObject().value_or("")) == wanted) {
      chosen = i;
      break;
    }
  }
  plotStyleMode_->selectItemAtIndex(chosen);
  const std::string selected = plotStyleMode_->selectedItem()->representedObject().value_or("");
  // Without a drawing the list is empty only for want of one: the saved choice stays for the next drawing.
  if (vexBatchHasActiveDocument()) foundation::UserDefaults::standard().setString(selected, "Quodline.PlotStyle");
  cad::acutPrintf(L"\nDUZOZAREDPLOTSTYLEMODE mode=%ls required=%ls selected=%ls",
                  vexBatchUsesNamedPlotStyles() ? L"STB" : L"CTB", vexBatchRequiredPlotStyleSuffix().c_str(),
                  selected.empty() ? L"layout-default" : vexBatchWideString(selected).c_str());
}

void VexBatchPrintPanelController::sourceModeChanged() {
  if (choiceRefusedWhilePlotting()) return;
  foundation::UserDefaults::standard().setInteger(sourceMode_->selectedSegment(), "Quodline.SourceMode");
  gBatchLayoutSelectionRange = VexBatchLayoutSelectionRange();
  if (gBatchFrameRecognitionMode == VexBatchFrameRecognitionPickedEntities ||
      gBatchFrameRecognitionMode == VexBatchFrameRecognitionDesignatedBlock) {
    gBatchFrameRecognitionMode = VexBatchFrameRecognitionAutomatic;
    gBatchSelectedFrameEntityIds.clear();
    gBatchDesignatedFrameBlock.clear();
  }
  // A refusal beeps and says so on the command line.
  static_cast<void>(queueCommand("DUZOZAREDREFRESH"));
}

void VexBatchPrintPanelController::layoutScopeChanged() {
  if (choiceRefusedWhilePlotting()) return;
  foundation::UserDefaults::standard().setInteger(layoutScope_->selectedSegment(), "Quodline.LayoutScope");
  reloadFromActiveDrawing();
}

void addManualFrameToFullPanel(VexBatchPrintSource source, const std::string& layoutName, double x1, double y1,
                               double x2, double y2) {
  VexBatchPrintPanelController& panel = ensureBatchPrintPanel();
  auto row = std::make_shared<VexBatchPrintRow>();
  row->selected = true;
  row->manuallyAdded = true;
  row->source = source;
  const bool layout = source == VexBatchPrintSourceLayout;
  row->sourceName = layout ? (layoutName.empty() ? std::string("Layout1") : layoutName) : QDLT("模型空间");
  row->layoutName = foundation::format(QDLT("手动图框 %02ld"), static_cast<long>(panel.manualRows().size() + 1));
  row->setupName = layout ? foundation::format(QDLT("%@｜手动补框"), row->sourceName) : QDLT("模型空间｜手动补框");
  row->sourceTabOrder = INT64_MAX;
  row->layoutWindow = layout;
  row->exactPaperFrame = true;
  row->minX = std::min(x1, x2);
  row->minY = std::min(y1, y2);
  row->maxX = std::max(x1, x2);
  row->maxY = std::max(y1, y2);
  const double w = row->maxX - row->minX;
  const double h = row->maxY - row->minY;
  const VexBatchPrintPaperSpec paper = vexBatchPaperForMode(VexBatchPrintPaperModeAutomatic, w, h);
  row->paperShortSide = paper.shortSide;
  row->paperLongSide = paper.longSide;
  row->paperName = paperText(paper.name, w, h);
  keepOriginalPaper(*row);
  panel.manualRows().push_back(row);
  panel.allRows().push_back(row);
  panel.applyFilterAndSort();
  const auto shown = std::find(panel.rows().begin(), panel.rows().end(), row);
  if (shown != panel.rows().end()) {
    const long index = shown - panel.rows().begin();
    panel.table()->selectRowIndexes({index}, false);
    panel.table()->scrollRowToVisible(index);
  }
  panel.statusLabel()->setStringValue(QDLT("手动图框已加入当前任务，不会写入或保存 DWG。"));
  // No reload: it would take the highlight off the new row.
  toolkit::Application::shared().activateIgnoringOtherApps(true);
  panel.panel()->makeKeyAndOrderFront();
}
