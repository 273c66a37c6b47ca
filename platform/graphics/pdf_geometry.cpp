#include "graphics/pdf_geometry.h"

#include <algorithm>
#include <cmath>

namespace graphics {

PdfPoint apply(const PdfMatrix& m, PdfPoint p) {
  return {m.a * p.x + m.c * p.y + m.tx, m.b * p.x + m.d * p.y + m.ty};
}

PdfMatrix concat(const PdfMatrix& first, const PdfMatrix& then) {
  return {first.a * then.a + first.b * then.c,
          first.a * then.b + first.b * then.d,
          first.c * then.a + first.d * then.c,
          first.c * then.b + first.d * then.d,
          first.tx * then.a + first.ty * then.c + then.tx,
          first.tx * then.b + first.ty * then.d + then.ty};
}

PdfRect standardized(PdfRect r) {
  if (r.width < 0) {
    r.x += r.width;
    r.width = -r.width;
  }
  if (r.height < 0) {
    r.y += r.height;
    r.height = -r.height;
  }
  return r;
}

PdfRect intersection(PdfRect a, PdfRect b) {
  a = standardized(a);
  b = standardized(b);
  const double x0 = std::max(a.x, b.x);
  const double y0 = std::max(a.y, b.y);
  const double x1 = std::min(a.x + a.width, b.x + b.width);
  const double y1 = std::min(a.y + a.height, b.y + b.height);
  if (!(x1 > x0 && y1 > y0)) return {};
  return {x0, y0, x1 - x0, y1 - y0};
}

bool isUsable(const PdfRect& r) {
  return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) && std::isfinite(r.height) &&
         r.width > 0 && r.height > 0;
}

int quarterTurns(int degrees) {
  return ((degrees % 360 + 360) % 360) / 90;
}

PdfMatrix drawingTransform(PdfRect box, int pageRotation, PdfRect rect, int rotate, bool preserveAspectRatio) {
  box = standardized(box);
  rect = standardized(rect);
  if (!isUsable(box) || !isUsable(rect)) return {};

  // Turn the box clockwise about its own corner so that it occupies (0, 0, w, h) upright.
  const double x0 = box.x, y0 = box.y, w = box.width, h = box.height;
  PdfMatrix turn;
  double uprightWidth = w, uprightHeight = h;
  const int turns = (quarterTurns(pageRotation) + quarterTurns(rotate)) % 4;
  switch (turns) {
    case 0: turn = {1, 0, 0, 1, -x0, -y0}; break;
    case 1: turn = {0, -1, 1, 0, -y0, w + x0}; break;
    case 2: turn = {-1, 0, 0, -1, w + x0, h + y0}; break;
    default: turn = {0, 1, -1, 0, h + y0, -x0}; break;
  }
  if (turns % 2 == 1) std::swap(uprightWidth, uprightHeight);

  double sx = rect.width / uprightWidth;
  double sy = rect.height / uprightHeight;
  if (preserveAspectRatio) sx = sy = std::min(sx, sy);
  sx = std::min(sx, 1.0);
  sy = std::min(sy, 1.0);
  const PdfMatrix place{sx, 0, 0, sy, rect.x + (rect.width - uprightWidth * sx) / 2,
                        rect.y + (rect.height - uprightHeight * sy) / 2};
  return concat(turn, place);
}

}  // namespace graphics
