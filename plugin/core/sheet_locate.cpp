#include "core/sheet_locate.h"

#include <algorithm>
#include <cmath>

#include "cad/command_line.h"
#include "cad/sysvars.h"
#include "cad/temporary_vectors.h"
#include "core/host_bridge.h"
#include "core/panel_lifecycle.h"
#include "core/view_points.h"

VexBatchFocusTarget gBatchFocusTarget;

namespace {

constexpr int kRed = 1;

void drawEdge(const cad::Point3d& from, const cad::Point3d& to) {
  const cad::Point3d a = ucsPointOf(from), b = ucsPointOf(to);
  const cad::ads_point start = {a.x, a.y, a.z}, end = {b.x, b.y, b.z};
  cad::acedGrDraw(start, end, kRed, 1);
}

}  // namespace

void vexBatchPrintFocusPending() {
  if (!gBatchFocusTarget.pending) {
    cad::acutPrintf(L"\n没有待定位的图框，请先在批打面板中选择一项。");
    return;
  }
  // Consumed whatever happens next.
  const VexBatchFocusTarget target = gBatchFocusTarget;
  gBatchFocusTarget.pending = false;

  const bool model = target.source == VexBatchPrintSourceModel;
  if (!vexBatchActivateLayout(model ? L"Model" : target.layoutName)) {
    cad::acutPrintf(L"\n定位失败：无法切换到目标布局。");
    return;
  }
  if (!model) cad::acedPspace();

  const double w = target.maxX - target.minX;
  const double h = target.maxY - target.minY;
  const double mx = std::max(0.08 * w, 1.0);
  const double my = std::max(0.08 * h, 1.0);
  const double window[] = {target.minX - mx, target.minY - my, target.maxX + mx, target.maxY + my};
  // Also refuses what no panel could mean: a box, or a view around it, beyond the range of numbers.
  if (!(w > 1e-9) || !(h > 1e-9) ||
      !std::all_of(std::begin(window), std::end(window), [](double v) { return std::isfinite(v); })) {
    cad::acutPrintf(L"\n定位失败：目标图框尺寸无效。");
    return;
  }
  zoomToWorldWindow(window[0], window[1], window[2], window[3]);

  // On the new view; the next regeneration or redraw takes it away.
  const cad::Point3d corners[] = {{target.minX, target.minY, 0},
                                  {target.maxX, target.minY, 0},
                                  {target.maxX, target.maxY, 0},
                                  {target.minX, target.maxY, 0}};
  for (int i = 0; i < 4; ++i) drawEdge(corners[i], corners[(i + 1) % 4]);

  vexBatchShowReturnPanel();
  cad::acutPrintf(L"\n已定位并用红框临时高亮；执行 REGEN 后高亮会消失。");
}
