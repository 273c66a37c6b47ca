#include "ui/modern_artwork.h"

#include <algorithm>

#include "graphics/bezier_path.h"
#include "ui/localisation.h"
#include "ui/palette.h"

namespace {

using graphics::BezierPath;
using graphics::Color;
using toolkit::Point;
using toolkit::Rect;

constexpr toolkit::Size kHeaderBox{320, 104};
constexpr toolkit::Size kSidebarBox{156, 350};
// Control-point distance of a quarter circle drawn as one cubic curve, per unit of radius.
constexpr double kQuarter = 0.5523;

void line(BezierPath& path, Point from, Point to) {
  path.moveTo(from);
  path.lineTo(to);
}

}  // namespace

toolkit::View* QDLModernArtwork::hitTest(toolkit::Point) { return nullptr; }

void QDLModernArtwork::drawRect(graphics::GraphicsContext& context, const toolkit::Rect&) {
  const Rect b = bounds();
  const toolkit::Size box = sidebar_ ? kSidebarBox : kHeaderBox;
  context.saveGState();
  context.clipToRect(b);
  const double scale = std::min(b.width() / box.width, b.height() / box.height);
  context.translate(b.minX() + (b.width() - box.width * scale) / 2, b.minY() + (b.height() - box.height * scale) / 2);
  context.scale(scale, scale);
  if (sidebar_) drawSidebar(context);
  else drawHeader(context);
  context.restoreGState();
}

void QDLModernArtwork::drawHeader(graphics::GraphicsContext& context) const {
  document(context, {131, 8, 31, 44}, 12, false);
  blueprint(context, {4, 33, 114, 67}, -6);
  document(context, {100, 63, 28, 37}, -14, false);
  document(context, {176, 40, 40, 53}, 7, true);
  arrowFrom(context, {135, 76}, {160, 63});
  caption(context, QDLT("一键"), {231, 35, 86, 22}, 16, QDLModernSidebar());
  caption(context, QDLT("批量输出！"), {231, 58, 86, 22}, 16, QDLModernSidebar());
  underlineFrom(context, {238, 88}, {313, 80});
}

void QDLModernArtwork::drawSidebar(graphics::GraphicsContext& context) const {
  caption(context, QDLT("专注 · 高效 · 专业"), {4, 0, 148, 22}, 13, Color::white());
  // The slogan's second voice stays in English in every language.
  caption(context, "FOR A BETTER", {4, 30, 148, 16}, 10, Color::white().withAlpha(0.72));
  caption(context, "DESIGN WORKFLOW", {4, 46, 148, 16}, 10, Color::white().withAlpha(0.72));
  context.saveGState();
  context.translate(0, 70);
  blueprint(context, {-18, 40, 151, 153}, -12);
  document(context, {81, 115, 55, 74}, 12, false);
  document(context, {61, 104, 60, 79}, 9, true);
  arrowFrom(context, {103, 79}, {131, 99});
  context.restoreGState();
  caption(context, QDLT("从图纸"), {16, 280, 124, 20}, 15, Color::white());
  caption(context, QDLT("到 PDF"), {16, 301, 124, 20}, 15, Color::white());
  caption(context, QDLT("更高效！"), {16, 322, 124, 20}, 15, Color::white());
  underlineFrom(context, {47, 347}, {110, 343});
}

void QDLModernArtwork::blueprint(graphics::GraphicsContext& context, const toolkit::Rect& rect, double angle) const {
  context.saveGState();
  context.translate(rect.minX(), rect.minY());
  context.rotate(angle);
  context.scale(rect.width() / 160, rect.height() / 110);

  context.fillPath(BezierPath::roundedRect({7, 6, 160, 110}, 5, 5), Color::srgb(0.5, 0.6, 0.98, 0.5));
  context.fillPath(BezierPath::roundedRect({0, 0, 160, 110}, 5, 5), Color::srgb(0.68, 0.75, 1.0));
  context.fillPath(BezierPath::roundedRect({5, 10, 150, 95}, 2, 2), Color::srgb(0.24, 0.34, 0.73));

  BezierPath grid;
  for (int x = 15; x <= 145; x += 10) line(grid, {double(x), 14}, {double(x), 100});
  for (int y = 20; y <= 100; y += 10) line(grid, {10, double(y)}, {150, double(y)});
  grid.lineWidth = 0.5;
  context.strokePath(grid, Color::white().withAlpha(0.14));

  BezierPath plan;
  plan.appendRect({26, 24, 108, 65});
  plan.appendRect({29, 27, 102, 59});
  // Partitions, with gaps for the doors.
  line(plan, {69, 27}, {69, 60});
  line(plan, {69, 72}, {69, 86});
  line(plan, {29, 56}, {50, 56});
  line(plan, {61, 56}, {69, 56});
  line(plan, {69, 48}, {92, 48});
  line(plan, {103, 48}, {131, 48});
  plan.appendRect({83, 60, 33, 17});
  plan.appendRect({36, 34, 22, 13});
  plan.moveTo({50, 56});
  plan.lineTo({50, 45});
  plan.curveTo({61, 56}, {56, 45}, {61, 50});
  plan.lineWidth = 1;
  context.strokePath(plan, Color::white().withAlpha(0.85));

  BezierPath dimensions;
  line(dimensions, {21, 18}, {139, 18});
  line(dimensions, {26, 15}, {26, 23});
  line(dimensions, {134, 15}, {134, 23});
  line(dimensions, {18, 20}, {18, 93});
  dimensions.lineWidth = 0.6;
  context.strokePath(dimensions, Color::white().withAlpha(0.55));

  context.restoreGState();
}

void QDLModernArtwork::document(graphics::GraphicsContext& context, const toolkit::Rect& rect, double angle,
                                bool pdf) const {
  context.saveGState();
  context.translate(rect.minX(), rect.minY());
  context.rotate(angle);
  context.scale(rect.width() / 58, rect.height() / 76);

  constexpr double r = 5, k = r * kQuarter;
  BezierPath page;
  page.moveTo({5, 0});
  page.lineTo({39, 0});
  page.lineTo({58, 19});
  page.lineTo({58, 71});
  page.curveTo({53, 76}, {58, 71 + k}, {53 + r - k, 76});
  page.lineTo({5, 76});
  page.curveTo({0, 71}, {r - k, 76}, {0, 71 + k});
  page.lineTo({0, 5});
  page.curveTo({5, 0}, {0, r - k}, {r - k, 0});
  page.close();
  context.fillPath(page, Color::white());

  BezierPath fold;
  fold.moveTo({39, 0});
  fold.lineTo({39, 19});
  fold.lineTo({58, 19});
  fold.close();
  context.fillPath(fold, pdf ? QDLModernOutput().withAlpha(0.22) : QDLModernBlue().withAlpha(0.18));

  if (pdf) {
    context.fillPath(BezierPath::roundedRect({6, 31, 46, 28}, 4, 4), QDLModernOutput());
    context.drawString("PDF", Point{11, 35}, {graphics::Font::boldSystem(18), Color::white(), {}});
  } else {
    BezierPath lines;
    for (double y : {29.0, 38.0, 47.0, 56.0}) line(lines, {10, y}, {45, y});
    lines.lineWidth = 2;
    context.strokePath(lines, QDLModernBlue().withAlpha(0.32));
  }
  context.restoreGState();
}

void QDLModernArtwork::arrowFrom(graphics::GraphicsContext& context, toolkit::Point p, toolkit::Point q) const {
  BezierPath curve;
  curve.moveTo(p);
  curve.curveTo(q, {p.x + 6, p.y - 18}, {q.x - 10, q.y - 10});
  curve.lineWidth = 5;
  curve.lineCap = graphics::LineCap::round;
  context.strokePath(curve, QDLModernSelection());

  BezierPath head;
  head.moveTo({q.x - 10, q.y + 1});
  head.lineTo({q.x + 6, q.y + 4});
  head.lineTo({q.x + 1, q.y - 11});
  head.close();
  context.fillPath(head, QDLModernSelection());
}

void QDLModernArtwork::caption(graphics::GraphicsContext& context, const std::string& text, const toolkit::Rect& rect,
                               double size, const graphics::Color& color) const {
  context.drawString(text, rect,
                     {graphics::Font::system(size, graphics::FontWeight::medium),
                      color,
                      {graphics::TextAlignment::center, graphics::LineBreakMode::wordWrap}});
}

void QDLModernArtwork::underlineFrom(graphics::GraphicsContext& context, toolkit::Point p, toolkit::Point q) const {
  BezierPath stroke;
  stroke.moveTo(p);
  stroke.lineTo(q);
  stroke.lineWidth = 2.5;
  stroke.lineCap = graphics::LineCap::round;
  context.strokePath(stroke, QDLModernSelection());
}
