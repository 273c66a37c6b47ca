// The picks of single entities and of selections: the frame layer, the frames themselves and the frame block.
#include "core/frame_picking.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "cad/command_line.h"
#include "cad/editor_input.h"
#include "cad/entities.h"
#include "cad/sysvars.h"
#include "core/host_bridge.h"
#include "core/panel_lifecycle.h"
#include "core/pick_outcome.h"
#include "core/recognition_link.h"
#include "core/work_active.h"
#include "foundation/user_defaults.h"

VexBatchPrintSource gBatchInteractionSource = VexBatchPrintSourceLayout;
VexBatchPrintSource gBatchRangeSource = VexBatchPrintSourceLayout;
VexBatchPrintSource gBatchManualSource = VexBatchPrintSourceLayout;

namespace {

// The entity behind a picked name, opened for reading; null when it cannot be.
cad::Entity* openPicked(const cad::ads_name name) {
  cad::ObjectId id;
  if (cad::acdbGetObjectId(id, name) != cad::eOk) return nullptr;
  cad::Entity* entity = nullptr;
  if (cad::acdbOpenObject(entity, id, cad::kForRead) != cad::eOk) return nullptr;
  return entity;
}

// A closed shape fills its axis-aligned extents when their areas differ by 0.5 % at most.
bool fillsItsExtents(const cad::Curve& curve) {
  double area = 0;
  if (curve.getArea(area) != cad::eOk) return false;
  cad::Extents3d extents;
  if (curve.getGeomExtents(extents) != cad::eOk) return false;
  const double w = extents.maxPoint.x - extents.minPoint.x;
  const double h = extents.maxPoint.y - extents.minPoint.y;
  const double box = w * h;
  return w > 1.0 && h > 1.0 && box > 1.0 && std::fabs(std::fabs(area) - box) / box <= 0.005;
}

}  // namespace

bool vexBatchActivateInteractionSpace(VexBatchPrintSource source) {
  if (source == VexBatchPrintSourceModel) return vexBatchActivateLayout(L"Model");
  if (vexBatchPrintSourceForCurrentSpace() != VexBatchPrintSourceLayout) return false;
  // Leaves a viewport that was active: the picks work on the layout's paper.
  cad::acedPspace();
  return true;
}

bool vexBatchSelectableFrameEntity(const cad::Entity* entity) {
  if (entity == nullptr || !linkedEntityLayerIsAllowed(entity)) return false;
  if (dynamic_cast<const cad::BlockReference*>(entity) != nullptr) return true;
  const auto* curve = dynamic_cast<const cad::Curve*>(entity);
  if (curve == nullptr || dynamic_cast<const cad::Line*>(entity) != nullptr || !curve->isClosed()) return false;
  return fillsItsExtents(*curve);
}

void vexBatchPrintPickLayer() {
  if (vexBatchPrintWorkActive()) return;
  if (!vexBatchActivateInteractionSpace(gBatchInteractionSource)) {
    return reportPickFailure(L"点选图层失败：无法进入当前选择的布局或模型空间。");
  }
  cad::ads_name picked;
  cad::ads_point at;
  if (cad::acedEntSel(L"点选一个图形以取得图框图层: ", picked, at) != cad::RTNORM) {
    return reportPickFailure(L"已取消点选图层。");
  }
  cad::Entity* entity = openPicked(picked);
  if (entity == nullptr) return reportPickFailure(L"点选图层失败：无法读取所选图形。");
  const std::wstring layer = linkedEntityLayer(entity);
  const bool allowed = linkedEntityLayerIsAllowed(entity);
  entity->close();
  if (layer.empty() || !allowed) return reportPickFailure(L"点选图层失败：所选图形所在图层不可打印。");

  chooseFrameLayer(layer);
  foundation::UserDefaults& defaults = foundation::UserDefaults::standard();
  defaults.setString(vexBatchNSString(layer), "Quodline.FrameLayer");
  storeRecognitionMode(1);
  cad::acutPrintf(L"\n已取得图层：%ls；将按该图层识别全部可打印图框。", layer.c_str());
  vexBatchPrintPanelReload();
}

void vexBatchPrintPickFrames() {
  if (!vexBatchActivateInteractionSpace(gBatchInteractionSource)) {
    return reportPickFailure(L"点选范围失败：无法进入当前选择的布局或模型空间。");
  }
  cad::ads_name selection;
  if (cad::acedSSGet(nullptr, nullptr, nullptr, nullptr, selection) != cad::RTNORM) {
    return reportPickFailure(L"已取消点选范围。");
  }
  std::vector<cad::ObjectId> kept;
  // A selection can be large and name an entity many times over; each is kept once, in the order first met.
  std::unordered_set<cad::ObjectId> seen;
  std::int32_t length = 0;
  if (cad::acedSSLength(selection, &length) == cad::RTNORM) {
    for (std::int32_t i = 0; i < length; ++i) {
      cad::ads_name member;
      if (cad::acedSSName(selection, i, member) != cad::RTNORM) continue;
      cad::Entity* entity = openPicked(member);
      if (entity == nullptr) continue;
      const cad::ObjectId id = entity->objectId();
      const bool frame = vexBatchSelectableFrameEntity(entity);
      entity->close();
      if (frame && seen.insert(id).second) kept.push_back(id);
    }
  }
  cad::acedSSFree(selection);
  if (kept.empty()) return reportPickFailure(L"点选范围内没有可打印的图块或闭合矩形。");

  chooseFrameEntities(kept);
  storeRecognitionMode(0);
  cad::acutPrintf(L"\n点选范围包含 %ld 个图块或矩形；只打印这些对象。", static_cast<long>(kept.size()));
  vexBatchPrintPanelReload();
}

void vexBatchPrintPickBlock() {
  if (vexBatchPrintWorkActive()) return;
  if (!vexBatchActivateInteractionSpace(gBatchInteractionSource)) {
    return reportPickFailure(L"点选图块失败：无法进入当前选择的布局或模型空间。");
  }
  cad::ads_name picked;
  cad::ads_point at;
  if (cad::acedEntSel(L"点选一个图块以批量打印全部同名图块: ", picked, at) != cad::RTNORM) {
    return reportPickFailure(L"已取消点选图块。");
  }
  cad::Entity* entity = openPicked(picked);
  if (entity == nullptr) return reportPickFailure(L"点选图块失败：无法读取所选对象。");
  const auto* reference = dynamic_cast<const cad::BlockReference*>(entity);
  const std::wstring block = reference != nullptr ? linkedBlockReferenceName(reference) : std::wstring();
  const bool allowed = linkedEntityLayerIsAllowed(entity);
  entity->close();
  if (reference == nullptr || block.empty() || !allowed) {
    return reportPickFailure(L"点选图块失败：请选择位于可打印图层的图块参照。");
  }

  chooseFrameBlock(block);
  storeRecognitionMode(0);
  cad::acutPrintf(L"\n已选择图块：%ls；将批量识别并打印全部同名图块。", block.c_str());
  vexBatchPrintPanelReload();
}
