// The picks of two opposite corners: the print range and the manual frame.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "cad/command_line.h"
#include "cad/editor_input.h"
#include "cad/sysvars.h"
#include "core/frame_picking.h"
#include "core/host_bridge.h"
#include "core/panel_handoffs.h"
#include "core/panel_lifecycle.h"
#include "core/pick_outcome.h"
#include "core/picked_range.h"
#include "core/recognition_link.h"
#include "core/view_points.h"
#include "core/work_active.h"

namespace {

struct Corners {
  cad::Point3d first, second;  // world coordinates, as picked
};

enum class CornerPick { kPicked, kCancelled, kNotConverted };

// Asks for a corner and the opposite one (a rubber band from the first) and takes both to world coordinates.
CornerPick pickCorners(const wchar_t* firstPrompt, const wchar_t* secondPrompt, Corners& corners) {
  cad::ads_point first, second;
  if (cad::acedGetPoint(nullptr, firstPrompt, first) != cad::RTNORM) return CornerPick::kCancelled;
  if (cad::acedGetCorner(first, secondPrompt, second) != cad::RTNORM) return CornerPick::kCancelled;
  const std::optional<cad::Point3d> a = worldPointOfPick(first);
  const std::optional<cad::Point3d> b = worldPointOfPick(second);
  if (!a || !b) return CornerPick::kNotConverted;
  corners = {*a, *b};
  return CornerPick::kPicked;
}

// Both sides longer than one drawing unit. Sides beyond the range of numbers count as unconvertible corners.
enum class Extent { kUsable, kTooSmall, kOverflow };

Extent extentOf(const Corners& c) {
  const double w = std::max(c.first.x, c.second.x) - std::min(c.first.x, c.second.x);
  const double h = std::max(c.first.y, c.second.y) - std::min(c.first.y, c.second.y);
  if (!std::isfinite(w) || !std::isfinite(h)) return Extent::kOverflow;
  return w > 1.0 && h > 1.0 ? Extent::kUsable : Extent::kTooSmall;
}

}  // namespace

void vexBatchPrintSelectRange() {
  if (vexBatchPrintWorkActive()) return;
  const bool lite = vexBatchWantsLite();
  if (lite) {
    gBatchRangeSource =
        vexBatchPrintSourceForCurrentSpace() == 1 ? VexBatchPrintSourceModel : VexBatchPrintSourceLayout;
    hideLitePanel();
  }
  const VexBatchPrintSource source = gBatchRangeSource;
  if (!vexBatchActivateInteractionSpace(source)) {
    return reportPickFailure(L"框选打印范围失败：无法进入当前选择的布局或模型空间。");
  }
  Corners corners;
  switch (pickCorners(L"指定打印范围第一个角点: ", L"指定打印范围对角点: ", corners)) {
    case CornerPick::kCancelled: return reportPickFailure(L"已取消框选打印范围。");
    case CornerPick::kNotConverted: return reportPickFailure(L"框选打印范围失败：无法转换角点坐标。");
    case CornerPick::kPicked: break;
  }
  switch (extentOf(corners)) {
    case Extent::kOverflow: return reportPickFailure(L"框选打印范围失败：无法转换角点坐标。");
    case Extent::kTooSmall: return reportPickFailure(L"框选打印范围失败：所选范围过小。");
    case Extent::kUsable: break;
  }
  const bool model = source == VexBatchPrintSourceModel;
  PickedRange range;
  range.source = model ? VexBatchPrintSourceModel : VexBatchPrintSourceLayout;
  range.layoutName = model ? L"Model" : vexBatchCurrentLayoutName();
  // A range must say which layout it belongs to: a guessed one could be another sheet.
  if (range.layoutName.empty()) return reportPickFailure(L"框选打印范围失败：无法读取当前布局名称。");
  range.minX = std::min(corners.first.x, corners.second.x);
  range.minY = std::min(corners.first.y, corners.second.y);
  range.maxX = std::max(corners.first.x, corners.second.x);
  range.maxY = std::max(corners.first.y, corners.second.y);

  if (lite) {
    saveLiteRange(range);
    showLitePanel();
    return;
  }
  chooseSelectionRange(range);
  storeRecognitionMode(0);
  cad::acutPrintf(L"\n已限定%ls框选打印范围；列表只保留范围内完整包含的图框。", model ? L"模型" : L"布局");
  vexBatchPrintPanelReload();
}

void vexBatchPrintAddManualFrame() {
  const VexBatchPrintSource source = gBatchManualSource;
  const bool model = source == VexBatchPrintSourceModel;
  if (model) {
    if (!vexBatchActivateLayout(L"Model")) return reportPickFailure(L"手动补框失败：无法切换到模型空间。");
  } else {
    if (vexBatchPrintSourceForCurrentSpace() != VexBatchPrintSourceLayout) {
      return reportPickFailure(L"手动补框失败：请先切换到目标布局，再从“布局”列表操作。");
    }
    cad::acedPspace();
  }
  Corners corners;
  switch (pickCorners(L"指定图框第一个角点: ", L"指定图框对角点: ", corners)) {
    case CornerPick::kCancelled: return reportPickFailure(L"已取消手动补框。");
    case CornerPick::kNotConverted: return reportPickFailure(L"手动补框失败：无法转换角点坐标。");
    case CornerPick::kPicked: break;
  }
  // A frame too small to plot is refused as a too-small range is.
  switch (extentOf(corners)) {
    case Extent::kOverflow: return reportPickFailure(L"手动补框失败：无法转换角点坐标。");
    case Extent::kTooSmall: return reportPickFailure(L"手动补框失败：所选图框过小。");
    case Extent::kUsable: break;
  }
  const std::wstring layoutName = model ? std::wstring() : vexBatchCurrentLayoutName();
  // The panel would put a frame without its layout on a layout of its own guessing.
  if (!model && layoutName.empty()) return reportPickFailure(L"手动补框失败：无法读取当前布局名称。");

  const VexBatchPrintSource frameSource = model ? VexBatchPrintSourceModel : VexBatchPrintSourceLayout;
  runOnMainThread([frameSource, name = vexBatchNSString(layoutName), corners] {
    addManualFrameToPanel(frameSource, name, corners.first.x, corners.first.y, corners.second.x, corners.second.y);
  });
  cad::acutPrintf(L"\n手动图框已加入当前批打任务；DWG 未修改、未保存。");
}
