// The recognition choices of the full panel and its requests that need the drawing: each writes what the host
// command is to do, says so in the status line, steps out of the way and queues the command, whose result
// comes back to the panel (a rescan, or the return window after locating and marking).

#include "core/focus_target.h"
#include "core/frame_picking.h"
#include "core/host_bridge.h"
#include "core/print_area_marks.h"
#include "core/sheet_locate.h"
#include "foundation/format.h"
#include "foundation/user_defaults.h"
#include "panels/batch_print_panel_controller.h"
#include "recognition/recognition_state.h"
#include "toolkit/button.h"
#include "toolkit/segmented_control.h"
#include "ui/application_panel.h"
#include "ui/localisation.h"

namespace {

VexBatchPrintSource sourceOf(const toolkit::SegmentedControl& sourceMode) {
  return sourceMode.selectedSegment() != 0 ? VexBatchPrintSourceModel : VexBatchPrintSourceLayout;
}

VexBatchFocusTarget targetOf(const VexBatchPrintRow& row) {
  VexBatchFocusTarget target;
  target.source = row.source;
  target.layoutName = vexBatchWideString(row.sourceName);
  target.minX = row.minX;
  target.minY = row.minY;
  target.maxX = row.maxX;
  target.maxY = row.maxY;
  target.pending = true;
  return target;
}

}  // namespace

bool VexBatchPrintPanelController::choiceRefusedWhilePlotting() {
  if (!refusedWhilePlotting()) return false;
  const auto state = [](bool on) { return on ? toolkit::control_state::on : toolkit::control_state::off; };
  sourceMode_->setSelectedSegment(loadedSource_);
  layoutScope_->setSelectedSegment(loadedScope_);
  includeNonPlottableButton_->setState(state(gBatchIncludeNonPlottableLayers));
  excludeBlankRectanglesButton_->setState(state(gBatchExcludeBlankRectangles));
  return true;
}

void VexBatchPrintPanelController::refreshRecognition() {
  if (refusedWhilePlotting()) return;
  static_cast<void>(queueCommand("DUZOZAREDREFRESH"));
}

void VexBatchPrintPanelController::automaticRecognition() {
  if (refusedWhilePlotting()) return;
  gBatchFrameRecognitionMode = VexBatchFrameRecognitionAutomatic;
  gBatchSelectedFrameEntityIds.clear();
  gBatchDesignatedFrameBlock.clear();
  foundation::UserDefaults::standard().setInteger(0, "Quodline.RecognitionMode");
  static_cast<void>(queueCommand("DUZOZAREDREFRESH"));
}

// The panel steps aside for the pick and comes back when the command is done; it comes back at once when the
// command cannot be started, rather than staying out of sight.
void VexBatchPrintPanelController::handOff(const std::string& prompt, const char* command) {
  showStatus(prompt);
  panel_->orderOut();
  if (!queueCommand(command)) panel_->makeKeyAndOrderFront();
}

void VexBatchPrintPanelController::pickFrameLayer() {
  if (refusedWhilePlotting()) return;
  gBatchInteractionSource = sourceOf(*sourceMode_);
  handOff(QDLT("请在 CAD 图面点选一个图形，以它所在的图层识别图框。"), "DUZOZAREDPICKLAYER");
}

void VexBatchPrintPanelController::pickFrames() {
  if (refusedWhilePlotting()) return;
  gBatchInteractionSource = sourceOf(*sourceMode_);
  handOff(QDLT("请在 CAD 图面框选或逐个选择需要打印的图块、矩形。"), "DUZOZAREDPICKFRAMES");
}

void VexBatchPrintPanelController::pickFrameBlock() {
  if (refusedWhilePlotting()) return;
  gBatchInteractionSource = sourceOf(*sourceMode_);
  handOff(QDLT("请在 CAD 图面点选一个图块；将打印全部同名图块。"), "DUZOZAREDPICKBLOCK");
}

void VexBatchPrintPanelController::selectPrintRange() {
  if (refusedWhilePlotting()) return;
  gBatchRangeSource = sourceOf(*sourceMode_);
  handOff(gBatchRangeSource == VexBatchPrintSourceModel ? QDLT("请在模型空间指定打印范围的两个对角点。")
                                                        : QDLT("请在当前布局指定打印范围的两个对角点。"),
          "DUZOZAREDSELECTRANGE");
}

void VexBatchPrintPanelController::clearPrintRange() {
  if (refusedWhilePlotting()) return;
  gBatchLayoutSelectionRange = VexBatchLayoutSelectionRange();
  reloadFromActiveDrawing();
}

void VexBatchPrintPanelController::recognitionOptionChanged() {
  if (choiceRefusedWhilePlotting()) return;
  gBatchIncludeNonPlottableLayers = includeNonPlottableButton_->state() == toolkit::control_state::on;
  gBatchExcludeBlankRectangles = excludeBlankRectanglesButton_->state() == toolkit::control_state::on;
  foundation::UserDefaults& defaults = foundation::UserDefaults::standard();
  defaults.setBool(gBatchIncludeNonPlottableLayers, "Quodline.IncludeNonPlottableLayers");
  defaults.setBool(gBatchExcludeBlankRectangles, "Quodline.ExcludeBlankRectangles");
  showStatus(QDLT("识别选项已更新，正在重新扫描…"));
  static_cast<void>(queueCommand("DUZOZAREDREFRESH"));
}

void VexBatchPrintPanelController::focusSelected() {
  if (refusedWhilePlotting()) return;
  const long highlighted = table_->selectedRow();
  if (highlighted < 0 || highlighted >= static_cast<long>(rows_.size())) {
    return refuse(QDLT("请先在列表中选中一个页面，再点击“定位”。"));
  }
  if (refusedForOtherDrawing()) return;
  const VexBatchPrintRow& row = *rows_[static_cast<std::size_t>(highlighted)];
  gBatchFocusTarget = targetOf(row);
  handOff(foundation::format(QDLT("正在定位并高亮：%@"), row.layoutName), "DUZOZAREDFOCUS");
}

void VexBatchPrintPanelController::showPrintRanges() {
  if (refusedWhilePlotting()) return;
  if (refusedForOtherDrawing()) return;
  gBatchPrintRangeTargets.clear();
  std::uint64_t number = 0;
  for (const auto& row : orderedOutputRows()) {
    if (!row->selected || row->layoutName.empty()) continue;
    ++number;
    // A whole layout has no box to mark, but keeps its place in the numbering.
    if (!(row->maxX > row->minX && row->maxY > row->minY)) continue;
    VexBatchFocusTarget target = targetOf(*row);
    target.number = number;
    gBatchPrintRangeTargets.push_back(target);
  }
  if (gBatchPrintRangeTargets.empty()) {
    return refuse(QDLT("当前没有可标记的已勾选图框；普通整张布局无需框选范围。"));
  }
  handOff(foundation::format(QDLT("正在标记 %ld 个打印区域…"), static_cast<long>(gBatchPrintRangeTargets.size())),
          "DUZOZAREDSHOWRANGES");
}

void VexBatchPrintPanelController::addManualFrame() {
  if (refusedWhilePlotting()) return;
  if (refusedForOtherDrawing()) return;
  gBatchManualSource = sourceOf(*sourceMode_);
  handOff(QDLT("请在图面上依次指定图框的两个对角点。"), "DUZOZAREDADDFRAME");
}
