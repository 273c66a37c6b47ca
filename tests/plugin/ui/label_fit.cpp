#include "label_fit.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <sstream>
#include <typeinfo>

#include "graphics/cairo_context.h"
#include "graphics/recording_context.h"
#include "graphics/text_measurer.h"
#include "toolkit/scroll_view.h"
#include "toolkit/view.h"
#include "toolkit/window.h"

namespace ui_test {

namespace {

using graphics::Rect;

constexpr double kScale = 3;        // pixels per point when looking for ink
constexpr double kMargin = 24;      // points around a line, where ink outside would land
constexpr double kTolerance = 0.5;  // points of antialiasing allowed past an edge

struct Ink {
  const toolkit::View* view;
  std::string text;
  Rect box;  // window coordinates
};

// The ink of one line set in that font, with the line's top-left corner at the origin (y down); empty for none.
Rect lineInk(const std::string& line, const graphics::Font& font) {
  static std::map<std::pair<std::string, std::string>, Rect> cache;
  std::ostringstream key;
  key << font.size() << '/' << static_cast<int>(font.weight()) << '/' << font.monospacedDigits();
  const auto id = std::make_pair(line, key.str());
  if (const auto it = cache.find(id); it != cache.end()) return it->second;

  const double width = graphics::fontMeasurer().width(line, font) + 2 * kMargin;
  const double height = font.lineHeight() + 2 * kMargin;
  auto context = graphics::CairoContext::bitmap(width, height, kScale);
  Rect ink;
  if (context) {
    context->setFlipped(true);
    context->drawString(line, graphics::Point{kMargin, kMargin}, {font, graphics::Color::black(), {}});
    int minX = context->pixelWidth(), minY = context->pixelHeight(), maxX = -1, maxY = -1;
    for (int y = 0; y < context->pixelHeight(); ++y) {
      for (int x = 0; x < context->pixelWidth(); ++x) {
        if (context->pixel(x, y).alpha() < 0.2) continue;
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
    }
    if (maxX >= 0) {
      ink = {minX / kScale - kMargin, minY / kScale - kMargin, (maxX + 1 - minX) / kScale, (maxY + 1 - minY) / kScale};
    }
  }
  cache.emplace(id, ink);
  return ink;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& l : lines) all += l;
  return all;
}

std::string withoutBreaks(std::string text) {
  std::erase(text, '\n');
  return text;
}

std::string name(const toolkit::View& view) {
  std::ostringstream out;
  out << typeid(view).name() << " at " << view.frame().minX() << "," << view.frame().minY() << " "
      << view.frame().width() << "x" << view.frame().height();
  return out.str();
}

bool inside(const Rect& inner, const Rect& outer) {
  return inner.minX() >= outer.minX() - kTolerance && inner.maxX() <= outer.maxX() + kTolerance &&
         inner.minY() >= outer.minY() - kTolerance && inner.maxY() <= outer.maxY() + kTolerance;
}

bool overlap(const Rect& a, const Rect& b) {
  return a.minX() < b.maxX() - kTolerance && b.minX() < a.maxX() - kTolerance && a.minY() < b.maxY() - kTolerance &&
         b.minY() < a.maxY() - kTolerance;
}

// The part of the window an ancestor lets the view show, in window coordinates; scrolling parts are not limits.
Rect visibleArea(const toolkit::View& view) {
  Rect area{-1e9, -1e9, 2e9, 2e9};
  for (const toolkit::View* v = view.superview(); v != nullptr; v = v->superview()) {
    if (dynamic_cast<const toolkit::ClipView*>(v) != nullptr) break;
    area = area.intersection(v->transformToWindow().apply(v->bounds()));
  }
  return area;
}

// The part of the window the enclosing scroll views show, in window coordinates: scrolled text outside it is not
// on screen, so it overlaps nothing.
Rect scrolledArea(const toolkit::View& view) {
  Rect area{-1e9, -1e9, 2e9, 2e9};
  for (const toolkit::View* v = view.superview(); v != nullptr; v = v->superview()) {
    if (dynamic_cast<const toolkit::ClipView*>(v) != nullptr) {
      area = area.intersection(v->transformToWindow().apply(v->bounds()));
    }
  }
  return area;
}

void check(toolkit::View& view, const std::set<const toolkit::View*>& mayTruncate, std::vector<Misfit>& misfits,
           std::vector<Ink>& inks) {
  if (view.isHidden()) return;
  graphics::RecordingContext recording(graphics::fontMeasurer());
  recording.setFlipped(view.isFlipped());
  view.drawRect(recording, view.bounds());
  const graphics::AffineTransform toWindow = view.transformToWindow();
  for (const auto* op : recording.operations(graphics::RecordedOperation::Kind::text)) {
    const graphics::TextDraw& draw = op->text;
    if (draw.text.empty()) continue;
    if (!mayTruncate.contains(&view) && joined(draw.lines) != withoutBreaks(draw.text)) {
      misfits.push_back({name(view), draw.text, "shows \"" + joined(draw.lines) + "\""});
    }
    Rect textInk;
    for (std::size_t i = 0; i < draw.lines.size(); ++i) {
      const Rect line = lineInk(draw.lines[i], draw.attributes.font);
      if (line.isEmpty()) continue;
      // Line ink in the upright box, then in the view's coordinates (the box may turn y over).
      const Rect inView = draw.box.apply(line.offsetBy(draw.lineOrigins[i].x, draw.lineOrigins[i].y));
      textInk = textInk.isEmpty() ? inView : textInk.unionWith(inView);
    }
    if (textInk.isEmpty()) continue;
    if (!inside(textInk, view.bounds())) {
      std::ostringstream problem;
      problem << "ink " << textInk.minX() << "," << textInk.minY() << " " << textInk.width() << "x" << textInk.height()
              << " leaves the bounds " << view.bounds().width() << "x" << view.bounds().height();
      misfits.push_back({name(view), draw.text, problem.str()});
    }
    const Rect inWindow = toWindow.apply(textInk);
    if (!inside(inWindow, visibleArea(view)))
      misfits.push_back({name(view), draw.text, "cut off by an enclosing view"});
    const Rect shown = inWindow.intersection(scrolledArea(view));
    if (!shown.isEmpty()) inks.push_back({&view, draw.text, shown});
  }
  for (const auto& sub : view.subviews()) check(*sub, mayTruncate, misfits, inks);
}

}  // namespace

std::vector<Misfit> textMisfits(toolkit::Window& window, const std::set<const toolkit::View*>& mayTruncate) {
  window.layoutIfNeeded();
  std::vector<Misfit> misfits;
  std::vector<Ink> inks;
  check(*window.contentView(), mayTruncate, misfits, inks);
  for (std::size_t i = 0; i < inks.size(); ++i) {
    for (std::size_t j = i + 1; j < inks.size(); ++j) {
      if (inks[i].view == inks[j].view) continue;
      if (overlap(inks[i].box, inks[j].box)) {
        misfits.push_back({name(*inks[i].view), inks[i].text, "overlaps \"" + inks[j].text + "\""});
      }
    }
  }
  return misfits;
}

std::string describe(const std::vector<Misfit>& misfits) {
  std::ostringstream out;
  for (const Misfit& m : misfits) out << "\n  " << m.view << " \"" << m.text << "\": " << m.problem;
  return out.str();
}

}  // namespace ui_test
