#include "cad/render/scene.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "cad/annotation_entities.h"
#include "cad/block_extents.h"
#include "cad/database.h"
#include "cad/interruption.h"
#include "cad/plan_entities.h"
#include "cad/render/curve_paths.h"

namespace cad::render {
namespace {

using graphics::AffineTransform;

double headerReal(const Database& db, const wchar_t* name, double fallback) {
  auto it = db.headerVariables.find(name);
  if (it == db.headerVariables.end()) return fallback;
  wchar_t* end = nullptr;
  const double value = std::wcstod(it->second.c_str(), &end);
  return end != it->second.c_str() && std::isfinite(value) ? value : fallback;
}

// A block transform as the plan view shows it: x and y of the result from x and y of the block.
AffineTransform planAffine(const Matrix3d& m) {
  return {m.m[0][0], m.m[1][0], m.m[0][1], m.m[1][1], m.m[0][3], m.m[1][3]};
}

AffineTransform then(const AffineTransform& first, const AffineTransform& second) {
  return AffineTransform::concat(first, second);
}

bool finite(const AffineTransform& t) {
  return std::isfinite(t.a) && std::isfinite(t.b) && std::isfinite(t.c) && std::isfinite(t.d) && std::isfinite(t.tx) &&
         std::isfinite(t.ty);
}

Box2 boxOf(const graphics::Rect& r) { return {r.minX(), r.minY(), r.maxX(), r.maxY()}; }

}  // namespace

Scene::Scene(graphics::GraphicsContext& context, const Database& db, const PagePens& pens, SpaceIndexCache& indexes)
    : context_(context), db_(db), pens_(pens), indexes_(indexes), painter_(context, db, pens) {
  const double ltscale = headerReal(db, L"$LTSCALE", 1);
  ltscale_ = ltscale > 0 ? ltscale : 1;
  paperLinetypes_ = headerReal(db, L"$PSLTSCALE", 1) != 0;
}

bool Scene::shows(const LayerTableRecord* own, const LayerTableRecord* effective) {
  if (own != nullptr && own->isFrozen()) return false;
  if (effective == nullptr) return true;
  return !effective->isFrozen() && !effective->isOff() && effective->isPlottable();
}

bool Scene::stopping() {
  // Looked at before every entity and every repetition of a block, so that a page of any size ends at once.
  if (!interrupted_ && interruptionSignal() != 0) interrupted_ = true;
  return interrupted_;
}

void Scene::drawSpace(ObjectId recordId, const AffineTransform& toSheet, const Box2& visible, bool paperSpace) {
  auto* record = dynamic_cast<const BlockTableRecord*>(db_.objectAt(recordId));
  const std::shared_ptr<const SpaceIndex> index = indexes_.indexOf(db_, recordId);
  if (record == nullptr || !index || !finite(toSheet)) return;
  if (paperSpace) paperToSheet_ = toSheet;
  Frame frame;
  frame.toSheet = toSheet;
  frame.linetypeUnit = ltscale_ * sheetScale(toSheet);
  frame.viewHeight = (visible.y1 - visible.y0) * sheetScale(toSheet);
  for (std::uint32_t i : index->query(visible)) {
    if (stopping()) return;
    if (auto* entity = dynamic_cast<const Entity*>(db_.objectAt(record->entityIds[i]))) {
      drawEntity(*entity, frame, paperSpace);
    }
  }
  painter_.flush();
}

void Scene::drawEntity(const Entity& entity, const Frame& frame, bool paperSpace) {
  if (entity.isErased() || !entity.properties.visible) return;
  auto* own = dynamic_cast<const LayerTableRecord*>(db_.objectAt(entity.layerId()));
  const LayerTableRecord* effective = effectiveLayer(db_, entity, frame.inherited);
  static const LayerTableRecord kNoLayer;
  const LayerTableRecord& layer = effective != nullptr ? *effective : kNoLayer;

  if (auto* viewport = dynamic_cast<const Viewport*>(&entity)) {
    // Only a layout's own viewports show model space; its paper-space viewport (number 1) is the sheet itself.
    if (!paperSpace || viewport->number() <= 1 || !viewport->isOn() || (own != nullptr && own->isFrozen())) return;
    drawViewport(*viewport, frame, shows(own, effective), lookOf(db_, entity, layer, frame.inherited));
    return;
  }
  auto* reference = dynamic_cast<const BlockReference*>(&entity);
  auto* dimension = reference == nullptr ? dynamic_cast<const Dimension*>(&entity) : nullptr;
  if (reference != nullptr || dimension != nullptr) {
    // A frozen layer hides the whole block; one that is off or not plotted only what is drawn on layer 0.
    if ((own != nullptr && own->isFrozen()) || (effective != nullptr && effective->isFrozen())) return;
    const Look look = lookOf(db_, entity, layer, frame.inherited);
    const Inherited inherited = inheritedFrom(look, layer);
    if (reference != nullptr) {
      // Rows or columns of an array that all land within the flatness of one another print as one.
      const auto origin = [&](int row, int column) {
        const AffineTransform t = then(planAffine(reference->instanceTransform(row, column)), frame.toSheet);
        return graphics::Point{t.tx, t.ty};
      };
      const auto apart = [](graphics::Point a, graphics::Point b) { return std::hypot(a.x - b.x, a.y - b.y); };
      int rows = std::max(reference->rows, 1), columns = std::max(reference->columns, 1);
      if (rows > 1 || columns > 1) {
        const graphics::Point first = origin(0, 0);
        if (columns > 1 && apart(first, origin(0, columns - 1)) <= kSheetFlatness) columns = 1;
        if (rows > 1 && apart(first, origin(rows - 1, 0)) <= kSheetFlatness) rows = 1;
      }
      for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns && !stopping(); ++column) {
          drawBlock(reference->blockTableRecord(), planAffine(reference->instanceTransform(row, column)), frame,
                    inherited);
        }
      }
      for (ObjectId id : reference->attributes) {
        if (auto* attribute = dynamic_cast<const AttributeReference*>(db_.objectAt(id))) {
          Frame attributeFrame = frame;
          attributeFrame.inherited = inherited;
          drawEntity(*attribute, attributeFrame, false);
        }
      }
    } else {
      drawBlock(dimension->dimBlockId(), planAffine(dimension->blockTransform()), frame, inherited);
    }
    return;
  }
  if (!shows(own, effective)) return;
  const Look look = lookOf(db_, entity, layer, frame.inherited);
  if (auto* leader = MLeader::cast(&entity); leader != nullptr && !leader->blockId.isNull()) {
    drawBlock(leader->blockId, planAffine(leader->blockTransform), frame, inheritedFrom(look, layer));
  }
  painter_.draw(entity, look, {frame.toSheet, frame.linetypeUnit, frame.viewHeight});
}

void Scene::drawBlock(ObjectId block, const AffineTransform& blockToOwner, const Frame& frame,
                      const Inherited& inherited) {
  auto* record = dynamic_cast<const BlockTableRecord*>(db_.objectAt(block));
  if (record == nullptr || record->isLayout() || frame.depth >= kMaxBlockNesting || !finite(blockToOwner) ||
      std::find(drawing_.begin(), drawing_.end(), block) != drawing_.end()) {
    return;
  }
  Frame inner;
  inner.toSheet = then(blockToOwner, frame.toSheet);
  // Patterns are laid out in the block's own units and scale with it.
  inner.linetypeUnit = frame.linetypeUnit * sheetScale(blockToOwner);
  inner.inherited = inherited;
  inner.depth = frame.depth + 1;
  inner.viewHeight = frame.viewHeight;
  drawing_.push_back(block);
  for (ObjectId id : record->entityIds) {
    if (stopping()) break;
    if (auto* entity = dynamic_cast<const Entity*>(db_.objectAt(id))) drawEntity(*entity, inner, false);
  }
  drawing_.pop_back();
}

void Scene::drawViewport(const Viewport& viewport, const Frame& frame, bool border, const Look& look) {
  const double w = viewport.width(), h = viewport.height();
  const Point3d c = viewport.centerPoint();
  if (!(w > 0) || !(h > 0)) return;
  const graphics::Rect paper{c.x - w / 2, c.y - h / 2, w, h};
  const graphics::Rect onSheet = frame.toSheet.apply(paper);

  if (viewport.viewHeight > 0) {
    // Model space to paper: display coordinates of the view (target and twist), its centre on the viewport's.
    const double s = h / viewport.viewHeight;
    const AffineTransform display = then(AffineTransform::translation(-viewport.viewTarget.x, -viewport.viewTarget.y),
                                         AffineTransform::rotation(-viewport.twistAngle));
    const AffineTransform toPaper =
        then(display, AffineTransform{s, 0, 0, s, c.x - s * viewport.viewCenter.x, c.y - s * viewport.viewCenter.y});
    Frame model;
    model.toSheet = then(toPaper, frame.toSheet);
    const double linetypeScale = paperLinetypes_ ? sheetScale(paperToSheet_) : sheetScale(model.toSheet);
    model.linetypeUnit = ltscale_ * linetypeScale;
    model.viewHeight = std::fabs(onSheet.height());
    const std::shared_ptr<const SpaceIndex> index = indexes_.indexOf(db_, db_.modelSpaceId());
    auto* space = dynamic_cast<const BlockTableRecord*>(db_.objectAt(db_.modelSpaceId()));
    if (index && space != nullptr && finite(model.toSheet)) {
      const Box2 visible = boxOf(toPaper.inverted().apply(paper));
      painter_.flush();
      context_.saveGState();
      context_.clipToRect(onSheet);
      for (std::uint32_t i : index->query(visible)) {
        if (stopping()) break;
        if (auto* entity = dynamic_cast<const Entity*>(db_.objectAt(space->entityIds[i]))) {
          drawEntity(*entity, model, false);
        }
      }
      painter_.flush();
      context_.restoreGState();
    }
  }
  if (border) {
    graphics::BezierPath path = graphics::BezierPath::rect(onSheet);
    const Ink ink = pens_.inkFor(look);
    path.lineWidth = ink.width;
    painter_.flush();
    context_.strokePath(path, ink.color);
  }
}

}  // namespace cad::render
