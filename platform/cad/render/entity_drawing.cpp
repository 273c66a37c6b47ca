#include "cad/render/entity_drawing.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "cad/annotation_entities.h"
#include "cad/database.h"
#include "cad/linetype_table.h"
#include "cad/plan_entities.h"
#include "cad/render/colors.h"
#include "cad/render/curve_paths.h"
#include "cad/render/hatch_fill.h"
#include "cad/render/linetypes.h"
#include "cad/render/plan_paths.h"
#include "cad/render/text_codes.h"
#include "cad/solid_entities.h"

namespace cad::render {

namespace {

// Strokes kept back to be drawn as one path are drawn once they hold this many pieces, so that a page of one
// pen never holds all its strokes twice.
constexpr std::size_t kMostPendingElements = 1 << 16;

double headerNumber(const Database& db, const wchar_t* name, double fallback) {
  auto it = db.headerVariables.find(name);
  if (it == db.headerVariables.end()) return fallback;
  wchar_t* end = nullptr;
  const double value = std::wcstod(it->second.c_str(), &end);
  return end != it->second.c_str() && std::isfinite(value) ? value : fallback;
}

}  // namespace

EntityPainter::EntityPainter(graphics::GraphicsContext& context, const Database& db, const PagePens& pens)
    : context_(context), db_(db), pens_(pens), text_(context) {
  pointMode_ = static_cast<int>(headerNumber(db, L"$PDMODE", 0));
  pointSize_ = headerNumber(db, L"$PDSIZE", 0);
}

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
  if (!pending_.isEmpty() && pending_.elements().size() < kMostPendingElements && pendingColor_ == color &&
      pending_.lineWidth == path.lineWidth && pending_.lineCap == path.lineCap && pending_.lineJoin == path.lineJoin &&
      pending_.dashes == path.dashes && pending_.dashPhase == path.dashPhase) {
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

  const graphics::Rect reach = context_.clipBoundingBox();
  WidePolyline wide;
  if (widePolyline(entity, state.toSheet, wide, &reach)) {
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
  if (curvePath(entity, state.toSheet, path, &reach)) {
    stroke(std::move(path), ink, look.linetype, dashUnit);
    return;
  }
  if (auto* hatch = dynamic_cast<const Hatch*>(&entity)) {
    drawHatch(*hatch, look, ink, state, dashUnit);
    return;
  }
  if (drawPlanKind(entity, look, ink, state, dashUnit)) return;
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
    if (shown.size() > kMostTextCharacters) {
      shown.resize(kMostTextCharacters);
      ++leftOut_.longTexts;
    }
    flush();
    text_.drawText(*text, shown, height, state.toSheet, ink.color);
    return;
  }
  if (auto* mtext = dynamic_cast<const MText*>(&entity)) drawMText(*mtext, look, ink, state);
}

void EntityPainter::drawMText(const MText& mtext, const Look& look, const Ink& ink, const DrawState& state) {
  const TextStyleTableRecord* s = style(mtext.styleName);
  const double height = mtext.textHeight > 0 ? mtext.textHeight : (s != nullptr ? s->textSize : 0);
  const double widthFactor = s != nullptr && s->xScale > 0 ? s->xScale : 1;
  std::wstring cut;
  if (mtext.contents.size() > kMostTextCharacters) {
    cut = mtext.contents.substr(0, kMostTextCharacters);
    ++leftOut_.longTexts;
  }
  flush();
  text_.drawMText(
      mtext, height, widthFactor, state.toSheet,
      [&](const TextRun& run) {
        if (!run.aci && !run.rgb) return ink.color;
        return pens_.inkFor(run.aci ? *run.aci : nearestAci(*run.rgb), run.rgb, look.lineWeight).color;
      },
      cut.empty() ? nullptr : &cut);
}

void EntityPainter::drawHatch(const Hatch& hatch, const Look& look, const Ink& ink, const DrawState& state,
                              double dashUnit) {
  graphics::Gradient gradient;
  if (hatchGradient(hatch, state.toSheet, gradient)) {
    // Each colour as the plot style gives it, so that a monochrome plot stays monochrome.
    for (auto& stop : gradient.stops) {
      const graphics::Color& c = stop.second;
      const auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
      const std::uint32_t rgb = (byte(c.red()) << 16) | (byte(c.green()) << 8) | byte(c.blue());
      stop.second = pens_.inkFor(nearestAci(rgb), rgb, look.lineWeight).color;
    }
    flush();
    context_.fillPath(hatchPath(hatch, state.toSheet), gradient);
    return;
  }
  if (hatch.solidFill || namesEqual(hatch.patternName, L"SOLID")) {
    fill(hatchPath(hatch, state.toSheet), ink);
    return;
  }
  graphics::BezierPath pattern;
  if (patternPath(hatch, state.toSheet, kMostPatternDashes, pattern)) {
    stroke(std::move(pattern), ink, nullptr, dashUnit);
    return;
  }
  if (!hatch.patternLines.empty()) {
    // Finer than the sheet shows, or past the budget: the tone the pattern makes, filled.
    ++leftOut_.denseHatches;
    fill(hatchPath(hatch, state.toSheet), ink);
    return;
  }
  // A pattern the hatch does not carry: its boundary.
  stroke(hatchPath(hatch, state.toSheet), ink, nullptr, dashUnit);
}

bool EntityPainter::drawPlanKind(const Entity& entity, const Look& look, const Ink& ink, const DrawState& state,
                                 double dashUnit) {
  if (auto* wire = WireEntity::cast(&entity)) {
    graphics::BezierPath strokes, fills;
    wirePaths(*wire, state.toSheet, strokes, fills);
    stroke(std::move(strokes), ink, look.linetype, dashUnit);
    fill(fills, ink);
    if (auto* leader = MLeader::cast(wire); leader != nullptr && leader->text) drawMText(*leader->text, look, ink, state);
    return true;
  }
  if (auto* point = PointEntity::cast(&entity)) {
    // A size above zero is in drawing units; zero is 5 % of the view's height, below zero that percentage.
    const double size = pointSize_ > 0 ? pointSize_ * sheetScale(state.toSheet)
                                       : state.viewHeight * (pointSize_ < 0 ? -pointSize_ : 5) / 100;
    stroke(pointFigure(*point, state.toSheet, pointMode_, size), ink, nullptr, dashUnit);
    return true;
  }
  if (auto* line = Xline::cast(&entity)) {
    graphics::BezierPath path;
    if (xlinePath(*line, state.toSheet, context_.clipBoundingBox(), path)) stroke(std::move(path), ink, look.linetype, dashUnit);
    return true;
  }
  if (auto* wipeout = Wipeout::cast(&entity)) {
    const graphics::BezierPath path = wipeoutPath(*wipeout, state.toSheet);
    flush();
    context_.fillPath(path, graphics::Color::white());
    // WIPEOUTFRAME 1 shows and plots the frame; 0 hides it, 2 shows it on screen only.
    if (headerNumber(db_, L"$WIPEOUTFRAME", 1) == 1) stroke(path, ink, nullptr, dashUnit);
    return true;
  }
  if (Shape::cast(&entity) != nullptr) {
    ++leftOut_.shapes;
    return true;
  }
  return false;
}

}  // namespace cad::render
