#pragma once
// Paths of lines and cubic curves, with the stroke settings that go with them.

#include <vector>

#include "graphics/geometry.h"

namespace graphics {

enum class LineCap { butt, round, square };
enum class LineJoin { miter, round, bevel };
enum class WindingRule { nonZero, evenOdd };

class BezierPath {
 public:
  struct Element {
    enum class Kind { moveTo, lineTo, curveTo, close };
    Kind kind = Kind::moveTo;
    // moveTo and lineTo: points[0]. curveTo: control points 0 and 1, end point 2.
    Point points[3];
  };

  static BezierPath rect(const Rect& r);
  // Corner radii are clamped to half the side, negatives to 0; radius 0 gives a plain rectangle.
  static BezierPath roundedRect(const Rect& r, double xRadius, double yRadius);
  static BezierPath oval(const Rect& r);

  void moveTo(Point p);
  // A line or curve with no current point starts the path at its end point.
  void lineTo(Point p);
  void curveTo(Point end, Point control1, Point control2);
  void close();
  // An arc of the circle around `center`, angles in radians counted from +x towards +y; `clockwise` turns from
  // +y towards +x (with y up, clockwise as seen). A line joins the current point to the arc's start.
  void addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise);
  void appendRect(const Rect& r);
  void appendRoundedRect(const Rect& r, double xRadius, double yRadius);
  void appendOval(const Rect& r);
  void append(const BezierPath& other);

  const std::vector<Element>& elements() const { return elements_; }
  bool isEmpty() const { return elements_.empty(); }
  // The box of every point and control point; empty for an empty path.
  Rect bounds() const;
  BezierPath transformed(const AffineTransform& t) const;
  // Each subpath as a polyline, curves split until within `tolerance`; a closed subpath ends on its first point.
  std::vector<std::vector<Point>> flattened(double tolerance = 0.1) const;
  // The part of the path between two fractions of its length (0…1), as a stroke start and end show it.
  BezierPath trimmed(double start, double end) const;

  double lineWidth = 1.0;
  LineCap lineCap = LineCap::butt;
  LineJoin lineJoin = LineJoin::miter;
  WindingRule windingRule = WindingRule::nonZero;
  // A stroke's dashes: lengths on and off in turn (an even count, the first on), starting `dashPhase` into the
  // pattern at the start of each subpath; empty for a solid stroke.
  std::vector<double> dashes;
  double dashPhase = 0;

 private:
  void ensureStart(Point p);
  std::vector<Element> elements_;
  Point current_;
  Point subpathStart_;
  bool hasCurrent_ = false;
};

}  // namespace graphics
