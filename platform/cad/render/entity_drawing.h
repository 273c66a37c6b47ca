#pragma once
// One entity that draws itself onto the sheet in its pen: curves (stroked in their linetype), polylines with
// widths, hatches (filled, patterned or graded), solids, texts, attributes and attribute definitions, points,
// wipeouts, construction lines and the kinds drawn as their wire. Block references, dimensions, viewports and a
// multileader's block draw others and are the scene's.

#include <string>
#include <unordered_map>

#include "cad/drawn_work.h"
#include "cad/render/pens.h"
#include "cad/render/text_drawing.h"
#include "graphics/bezier_path.h"
#include "graphics/context.h"

namespace cad {
class Database;
class Entity;
class Hatch;
class MText;
class TextStyleTableRecord;
}  // namespace cad

namespace cad::render {

struct DrawState {
  graphics::AffineTransform toSheet;  // the entity's coordinates onto the sheet
  double linetypeUnit = 1;            // points on the sheet per unit of a linetype's pattern
  double viewHeight = 0;              // points on the sheet: the height of the view it shows in
};

// What a plot left out or cut short, told once a plot.
struct LeftOut {
  std::size_t shapes = 0;       // shapes: the stand-in host has no shape files
  std::size_t longTexts = 0;    // texts drawn only up to kMostTextCharacters
  std::size_t denseHatches = 0; // patterns too fine or too many for the sheet, filled instead
};

class EntityPainter {
 public:
  EntityPainter(graphics::GraphicsContext& context, const Database& db, const PagePens& pens);
  void draw(const Entity& entity, const Look& look, const DrawState& state);
  // Draws the strokes kept back so far; before anything else draws or the clip changes.
  void flush();
  const LeftOut& leftOut() const { return leftOut_; }

 private:
  void stroke(graphics::BezierPath path, const Ink& ink, const LinetypeTableRecord* linetype, double dashUnit);
  void queue(graphics::BezierPath path, const graphics::Color& color);
  void fill(const graphics::BezierPath& path, const Ink& ink);
  const TextStyleTableRecord* style(const std::wstring& name);
  // Points, wipeouts, construction lines, the kinds drawn as their wire, and shapes (counted); false for others.
  bool drawPlanKind(const Entity& entity, const Look& look, const Ink& ink, const DrawState& state, double dashUnit);
  void drawHatch(const Hatch& hatch, const Look& look, const Ink& ink, const DrawState& state, double dashUnit);
  void drawMText(const MText& mtext, const Look& look, const Ink& ink, const DrawState& state);

  graphics::GraphicsContext& context_;
  const Database& db_;
  const PagePens& pens_;
  TextPainter text_;
  std::unordered_map<std::wstring, const TextStyleTableRecord*> styles_;  // folded name → style
  // Strokes of one pen in a row are drawn as one path: far fewer operations for the page to record and write.
  graphics::BezierPath pending_;
  graphics::Color pendingColor_;
  LeftOut leftOut_;
  int pointMode_ = 0;
  double pointSize_ = 0;  // PDSIZE
};

}  // namespace cad::render
