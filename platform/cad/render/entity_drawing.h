#pragma once
// One entity that draws itself onto the sheet in its pen: curves (stroked in their linetype), polylines with
// widths, solid hatches (filled) and pattern hatches (their boundary), solids, texts, attributes and
// attribute definitions. Block references, dimensions and viewports draw others and are the scene's.

#include <string>
#include <unordered_map>

#include "cad/render/pens.h"
#include "cad/render/text_drawing.h"
#include "graphics/bezier_path.h"
#include "graphics/context.h"

namespace cad {
class Database;
class Entity;
class TextStyleTableRecord;
}  // namespace cad

namespace cad::render {

struct DrawState {
  graphics::AffineTransform toSheet;  // the entity's coordinates onto the sheet
  double linetypeUnit = 1;            // points on the sheet per unit of a linetype's pattern
};

class EntityPainter {
 public:
  EntityPainter(graphics::GraphicsContext& context, const Database& db, const PagePens& pens);
  void draw(const Entity& entity, const Look& look, const DrawState& state);
  // Draws the strokes kept back so far; before anything else draws or the clip changes.
  void flush();

 private:
  void stroke(graphics::BezierPath path, const Ink& ink, const LinetypeTableRecord* linetype, double dashUnit);
  void queue(graphics::BezierPath path, const graphics::Color& color);
  void fill(const graphics::BezierPath& path, const Ink& ink);
  const TextStyleTableRecord* style(const std::wstring& name);

  graphics::GraphicsContext& context_;
  const Database& db_;
  const PagePens& pens_;
  TextPainter text_;
  std::unordered_map<std::wstring, const TextStyleTableRecord*> styles_;  // folded name → style
  // Strokes of one pen in a row are drawn as one path: far fewer operations for the page to record and write.
  graphics::BezierPath pending_;
  graphics::Color pendingColor_;
};

}  // namespace cad::render
