#include "cad/render/entity_drawing.h"

#include "cad/annotation_entities.h"
#include "cad/database.h"
#include "cad/linetype_table.h"
#include "cad/render/colors.h"
#include "cad/render/curve_paths.h"
#include "cad/render/linetypes.h"
#include "cad/render/text_codes.h"
#include "cad/solid_entities.h"

namespace cad::render {

EntityPainter::EntityPainter(graphics::GraphicsContext& context, const Database& db, const PagePens& pens)
    : context_(context), db_(db), pens_(pens), text_(context) {}

void EntityPainter::stroke(graphics::BezierPath path, const Ink& ink, const LinetypeTableRecord* linetype,
                           double dashUnit) {
  if (path.isEmpty()) return;
  path.lineWidth = ink.width;
  path.lineCap = graphics::LineCap::round;
  path.lineJoin = graphics::LineJoin::round;
  if (linetype != nullptr) applyLinetype(path, linetype->dashes, dashUnit);
  queue(std::move(path), ink.color);
}

void EntityPainter::queue(graphics::BezierPath path, const graphics::Color& color) {
  if (!pending_.isEmpty() && pendingColor_ == color && pending_.lineWidth == path.lineWidth &&
      pending_.lineCap == path.lineCap && pending_.lineJoin == path.lineJoin && pending_.dashes == path.dashes &&
      pending_.dashPhase == path.dashPhase) {
    pending_.append(path);
    return;
  }
  flush();
  pending_ = std::move(path);
  pendingColor_ = color;
}

void EntityPainter::flush() {
  if (pending_.isEmpty()) return;
  context_.strokePath(pending_, pendingColor_);
  pending_ = {};
}

void EntityPainter::fill(const graphics::BezierPath& path, const Ink& ink) {
  if (path.isEmpty()) return;
  flush();
  context_.fillPath(path, ink.color);
}

const TextStyleTableRecord* EntityPainter::style(const std::wstring& name) {
  const std::wstring key = foldedName(name);
  auto found = styles_.find(key);
  if (found != styles_.end()) return found->second;
  const TextStyleTableRecord* record = nullptr;
  if (auto* table = dynamic_cast<const TextStyleTable*>(db_.objectAt(db_.textStyleTableId()))) {
    ObjectId id;
    if (table->getAt(name, id) == eOk) record = dynamic_cast<const TextStyleTableRecord*>(db_.objectAt(id));
  }
  styles_.emplace(key, record);
  return record;
}

void EntityPainter::draw(const Entity& entity, const Look& look, const DrawState& state) {
  const Ink ink = pens_.inkFor(look);
  const double dashUnit = state.linetypeUnit * entity.properties.linetypeScale;

  WidePolyline wide;
  if (widePolyline(entity, state.toSheet, wide)) {
    if (wide.strokeWidth > 0) {
      wide.stroke.lineWidth = wide.strokeWidth;
      wide.stroke.lineCap = graphics::LineCap::butt;
      wide.stroke.lineJoin = graphics::LineJoin::miter;
      queue(std::move(wide.stroke), ink.color);
    }
    fill(wide.fill, ink);
    stroke(std::move(wide.thin), ink, look.linetype, dashUnit);
    return;
  }
  graphics::BezierPath path;
  if (curvePath(entity, state.toSheet, path)) {
    stroke(std::move(path), ink, look.linetype, dashUnit);
    return;
  }
  if (auto* hatch = dynamic_cast<const Hatch*>(&entity)) {
    // Pattern hatches are drawn as their boundary.
    if (namesEqual(hatch->patternName, L"SOLID")) fill(hatchPath(*hatch, state.toSheet), ink);
    else stroke(hatchPath(*hatch, state.toSheet), ink, nullptr, dashUnit);
    return;
  }
  if (auto* solid = dynamic_cast<const Solid*>(&entity)) {
    fill(solidPath(*solid, state.toSheet), ink);
    return;
  }
  if (auto* text = dynamic_cast<const Text*>(&entity)) {
    const TextStyleTableRecord* s = style(text->styleName);
    const double height = text->height > 0 ? text->height : (s != nullptr ? s->textSize : 0);
    std::wstring shown;
    if (auto* attribute = dynamic_cast<const AttributeReference*>(text)) {
      if (attribute->invisible) return;
      shown = withSpecialCharacters(text->contents);
    } else if (auto* definition = dynamic_cast<const AttributeDefinition*>(text)) {
      // A definition shows its tag where it stands in a layout; in a block, only a constant one its value.
      if (definition->inBlockDefinition() && !definition->constant) return;
      shown = withSpecialCharacters(definition->inBlockDefinition() ? definition->contents : definition->tag);
    } else {
      shown = withSpecialCharacters(text->contents);
    }
    flush();
    text_.drawText(*text, shown, height, state.toSheet, ink.color);
    return;
  }
  if (auto* mtext = dynamic_cast<const MText*>(&entity)) {
    const TextStyleTableRecord* s = style(mtext->styleName);
    const double height = mtext->textHeight > 0 ? mtext->textHeight : (s != nullptr ? s->textSize : 0);
    const double widthFactor = s != nullptr && s->xScale > 0 ? s->xScale : 1;
    flush();
    text_.drawMText(*mtext, height, widthFactor, state.toSheet, [&](const TextRun& run) {
      if (!run.aci && !run.rgb) return ink.color;
      return pens_.inkFor(run.aci ? *run.aci : nearestAci(*run.rgb), run.rgb, look.lineWeight).color;
    });
  }
}

}  // namespace cad::render
