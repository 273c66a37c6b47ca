#include "graphics/geometry.h"

#include <algorithm>
#include <cmath>

namespace graphics {

bool Rect::intersects(const Rect& other) const {
  return !isEmpty() && !other.isEmpty() && minX() < other.maxX() && other.minX() < maxX() &&
         minY() < other.maxY() && other.minY() < maxY();
}

Rect Rect::intersection(const Rect& other) const {
  if (!intersects(other)) return {};
  const double x0 = std::max(minX(), other.minX());
  const double y0 = std::max(minY(), other.minY());
  return {x0, y0, std::min(maxX(), other.maxX()) - x0, std::min(maxY(), other.maxY()) - y0};
}

Rect Rect::unionWith(const Rect& other) const {
  if (isEmpty()) return other;
  if (other.isEmpty()) return *this;
  const double x0 = std::min(minX(), other.minX());
  const double y0 = std::min(minY(), other.minY());
  return {x0, y0, std::max(maxX(), other.maxX()) - x0, std::max(maxY(), other.maxY()) - y0};
}

Rect Rect::insetBy(double dx, double dy) const {
  return {origin.x + dx, origin.y + dy, std::max(0.0, size.width - 2 * dx), std::max(0.0, size.height - 2 * dy)};
}

AffineTransform AffineTransform::rotation(double radians) {
  const double s = std::sin(radians);
  const double k = std::cos(radians);
  return {k, s, -s, k, 0, 0};
}

AffineTransform AffineTransform::concat(const AffineTransform& t1, const AffineTransform& t2) {
  return {t1.a * t2.a + t1.b * t2.c,        t1.a * t2.b + t1.b * t2.d,
          t1.c * t2.a + t1.d * t2.c,        t1.c * t2.b + t1.d * t2.d,
          t1.tx * t2.a + t1.ty * t2.c + t2.tx, t1.tx * t2.b + t1.ty * t2.d + t2.ty};
}

Rect AffineTransform::apply(const Rect& r) const {
  const Point corners[4] = {apply(Point{r.minX(), r.minY()}), apply(Point{r.maxX(), r.minY()}),
                            apply(Point{r.minX(), r.maxY()}), apply(Point{r.maxX(), r.maxY()})};
  double x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
  for (const Point& p : corners) {
    x0 = std::min(x0, p.x);
    x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  }
  return {x0, y0, x1 - x0, y1 - y0};
}

AffineTransform AffineTransform::inverted() const {
  const double det = a * d - b * c;
  if (det == 0 || !std::isfinite(det)) return {};
  return {d / det, -b / det, -c / det, a / det, (c * ty - d * tx) / det, (b * tx - a * ty) / det};
}

}  // namespace graphics
