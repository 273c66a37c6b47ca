#include "core/print_area_marks.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "cad/command_line.h"
#include "cad/sysvars.h"
#include "core/host_bridge.h"
#include "core/interface_text.h"
#include "core/panel_handoffs.h"
#include "core/panel_lifecycle.h"
#include "core/range_overlay.h"
#include "core/view_points.h"
#include "core/work_active.h"
#include "foundation/format.h"

std::vector<VexBatchFocusTarget> gBatchPrintRangeTargets;

namespace {

// Whose mark can be drawn: a pending box of positive, finite size.
bool markable(const VexBatchFocusTarget& t) {
  const double w = t.maxX - t.minX;
  const double h = t.maxY - t.minY;
  return t.pending && t.minX < t.maxX && t.minY < t.maxY && std::isfinite(w) && std::isfinite(h);
}

bool sameSpace(const VexBatchFocusTarget& area, const VexBatchFocusTarget& chosen) {
  if (area.source != chosen.source) return false;
  return chosen.source == VexBatchPrintSourceModel || area.layoutName == chosen.layoutName;
}

void fail(const wchar_t* message) {
  cad::acutPrintf(L"\n%ls", message);
  vexBatchPrintPanelShow();
}

}  // namespace

void vexBatchPrintShowRanges() {
  if (vexBatchPrintWorkActive()) return;
  const bool lite = vexBatchWantsLite();
  if (lite) {
    hideLitePanel();
    prepareLiteRangeTargets();
  }
  if (gBatchPrintRangeTargets.empty()) {
    return fail(lite ? L"当前范围没有可显示的图框；整张布局无需标记图框。"
                     : L"没有待标记的打印范围，请先在批打列表中勾选图框。");
  }
  std::vector<VexBatchFocusTarget> areas;
  areas.swap(gBatchPrintRangeTargets);

  const std::wstring current = vexBatchCurrentLayoutName();
  auto chosen = std::find_if(areas.begin(), areas.end(), [&](const VexBatchFocusTarget& a) {
    return a.source == VexBatchPrintSourceLayout && a.layoutName == current;
  });
  if (chosen == areas.end()) chosen = areas.begin();
  const VexBatchFocusTarget space = *chosen;
  const bool model = space.source == VexBatchPrintSourceModel;
  if (!vexBatchActivateLayout(model ? L"Model" : space.layoutName)) {
    return fail(L"打印范围标记失败：无法切换到目标布局。");
  }
  if (!model) cad::acedPspace();

  std::vector<VexBatchFocusTarget> kept;
  std::copy_if(areas.begin(), areas.end(), std::back_inserter(kept),
               [&](const VexBatchFocusTarget& a) { return sameSpace(a, space) && markable(a); });
  if (kept.empty()) return fail(L"打印范围标记失败：当前空间没有有效图框。");

  double minX = kept.front().minX, minY = kept.front().minY, maxX = kept.front().maxX, maxY = kept.front().maxY;
  for (const VexBatchFocusTarget& a : kept) {
    minX = std::min(minX, a.minX);
    minY = std::min(minY, a.minY);
    maxX = std::max(maxX, a.maxX);
    maxY = std::max(maxY, a.maxY);
  }
  const double mx = std::max(0.05 * (maxX - minX), 1.0);
  const double my = std::max(0.05 * (maxY - minY), 1.0);
  const double window[] = {minX - mx, minY - my, maxX + mx, maxY + my};
  // Areas spread beyond the range of numbers leave the view as it is; each can still be marked.
  if (std::all_of(std::begin(window), std::end(window), [](double v) { return std::isfinite(v); })) {
    zoomToWorldWindow(window[0], window[1], window[2], window[3]);
  }

  if (!gBatchRangeOverlay.show(kept)) return fail(L"无法创建打印范围标记，请返回批打界面重试。");

  const long shown = static_cast<long>(kept.size());
  const long hidden = static_cast<long>(areas.size()) - shown;
  if (lite) {
    vexBatchShowReturnPanelWithMessage(
        chosenText("打印范围已标记", "Print areas marked", "列印範圍已標記"),
        chosenText("编号对应输出顺序，标记不会写入 DWG。", "Numbers follow export order; the DWG is unchanged.",
                   "編號對應輸出順序，標記不會寫入 DWG。"));
    return;
  }
  const std::string message =
      hidden == 0 ? foundation::format(translatedText("已标出 %ld 个区域；编号对应输出顺序，不会写入 DWG。"), shown)
                  : foundation::format(translatedText("当前布局标出 %ld 个；另有 %ld 个位于其他布局。"), shown, hidden);
  vexBatchShowReturnPanelWithMessage(translatedText("打印范围已标记"), message);
  cad::acutPrintf(L"\nDUZOZAREDSHOWRANGES shown=%ld hidden=%ld；返回批打界面后清除标记。", shown, hidden);
}
