#pragma once
// Points, sizes, rectangles and affine transforms in points. Nothing here knows which way y grows: a rectangle's
// origin is its minimum corner, whatever the space it lives in.

namespace graphics {

struct Point {
  double x = 0;
  double y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  double width = 0;
  double height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  Point origin;
  Size size;

  Rect() = default;
  Rect(double x, double y, double width, double height) : origin{x, y}, size{width, height} {}
  Rect(Point o, Size s) : origin(o), size(s) {}

  double minX() const { return origin.x; }
  double minY() const { return origin.y; }
  double maxX() const { return origin.x + size.width; }
  double maxY() const { return origin.y + size.height; }
  double midX() const { return origin.x + size.width / 2; }
  double midY() const { return origin.y + size.height / 2; }
  double width() const { return size.width; }
  double height() const { return size.height; }
  Point center() const { return {midX(), midY()}; }
  bool isEmpty() const { return !(size.width > 0) || !(size.height > 0); }

  // Half-open on the maximum sides, so neighbouring rectangles never both contain a point.
  bool contains(Point p) const { return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY(); }
  bool intersects(const Rect& other) const;
  // Empty (zero rectangle) when they do not overlap.
  Rect intersection(const Rect& other) const;
  Rect unionWith(const Rect& other) const;
  Rect insetBy(double dx, double dy) const;
  Rect offsetBy(double dx, double dy) const { return {origin.x + dx, origin.y + dy, size.width, size.height}; }

  friend bool operator==(const Rect&, const Rect&) = default;
};

// p' = (a·x + c·y + tx, b·x + d·y + ty).
struct AffineTransform {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

  static AffineTransform translation(double dx, double dy) { return {1, 0, 0, 1, dx, dy}; }
  static AffineTransform scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
  static AffineTransform rotation(double radians);
  // The transform that applies `first`, then `second`.
  static AffineTransform concat(const AffineTransform& first, const AffineTransform& second);

  Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
  // The bounding box of the transformed corners.
  Rect apply(const Rect& r) const;
  // The identity when the transform cannot be inverted.
  AffineTransform inverted() const;
  bool isIdentity() const { return a == 1 && b == 0 && c == 0 && d == 1 && tx == 0 && ty == 0; }

  friend bool operator==(const AffineTransform&, const AffineTransform&) = default;
};

}  // namespace graphics
