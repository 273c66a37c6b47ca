// HATCH boundaries: the loops come as counted runs of groups whose codes repeat (10/20 are vertices, edge
// ends, spline control points and seed points alike), so they are read in order, never by counts alone.
#include <cmath>
#include <numbers>

#include "loader.h"

namespace cad::dxf {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

class Cursor {
 public:
  Cursor(const std::vector<Group>& fields, std::size_t at, Scanner& s) : fields_(fields), i_(at), s_(s) {}
  int peek() const { return i_ < fields_.size() ? fields_[i_].code : -1; }
  bool at(int code) const { return peek() == code; }
  double real() { return s_.real(fields_[i_++]); }
  int integer() { return s_.integer(fields_[i_++]); }
  void skip() { ++i_; }
  std::size_t place() const { return i_; }
  bool ok() const { return !s_.failed(); }

 private:
  const std::vector<Group>& fields_;
  std::size_t i_;
  Scanner& s_;
};

// Points along an elliptical arc c + a·cos t + b·sin t, counter-clockwise from t0 by sweep.
void sampleArc(std::vector<Point2d>& out, Point2d c, Point2d a, Point2d b, double t0, double sweep) {
  if (!(sweep > 0) || sweep > kTwoPi) sweep = kTwoPi;
  // Two degrees a chord: within 0.01 mm of the arc for radii up to 66 mm on the paper.
  const int steps = std::max(2, static_cast<int>(std::ceil(sweep / kTwoPi * 180)));
  for (int k = 0; k <= steps; ++k) {
    const double t = t0 + sweep * k / steps;
    out.push_back({c.x + a.x * std::cos(t) + b.x * std::sin(t), c.y + a.y * std::cos(t) + b.y * std::sin(t)});
  }
}

// Arc edges store clockwise arcs with mirrored angles; either way the sweep runs counter-clockwise from `from`.
void sampleEdgeArc(std::vector<Point2d>& out, Point2d c, Point2d major, double ratio, double start, double end,
                   bool ccw) {
  const Point2d minor{-major.y * ratio, major.x * ratio};
  double from = start * (std::numbers::pi / 180), to = end * (std::numbers::pi / 180);
  if (!ccw) {
    from = -to;
    to = -start * (std::numbers::pi / 180);
  }
  double sweep = std::fmod(to - from, kTwoPi);
  if (sweep <= 0) sweep += kTwoPi;
  sampleArc(out, c, major, minor, from, sweep);
}

void readPolylineLoop(Cursor& c, std::vector<Point2d>& polygon) {
  while (c.at(72) || c.at(73) || c.at(93)) c.skip();
  struct Vertex {
    Point2d p;
    double bulge;
  };
  std::vector<Vertex> vertices;
  while (c.at(10) && c.ok()) {
    Vertex v{{c.real(), 0}, 0};
    if (c.at(20)) v.p.y = c.real();
    if (c.at(42)) v.bulge = c.real();
    vertices.push_back(v);
  }
  for (std::size_t k = 0; k < vertices.size(); ++k) {
    const Vertex& v = vertices[k];
    polygon.push_back(v.p);
    if (std::fabs(v.bulge) < 1e-9) continue;
    const Point2d q = vertices[(k + 1) % vertices.size()].p;
    const double dx = q.x - v.p.x, dy = q.y - v.p.y, chord = std::hypot(dx, dy);
    if (chord == 0) continue;
    const double theta = 4 * std::atan(v.bulge);
    const double d = (chord / 2) / std::tan(theta / 2);
    const Point2d centre{(v.p.x + q.x) / 2 - dy / chord * d, (v.p.y + q.y) / 2 + dx / chord * d};
    const double r = std::hypot(v.p.x - centre.x, v.p.y - centre.y);
    const double a1 = std::atan2(v.p.y - centre.y, v.p.x - centre.x);
    const double a2 = std::atan2(q.y - centre.y, q.x - centre.x);
    sampleArc(polygon, centre, {r, 0}, {0, r}, v.bulge > 0 ? a1 : a2, std::fabs(theta));
  }
}

// False on an edge type this reader does not know: the rest of the boundary cannot be followed.
bool readEdge(Cursor& c, std::vector<Point2d>& polygon) {
  const int type = c.integer();
  switch (type) {
    case 1: {  // line
      Point2d a, b;
      while (c.ok()) {
        if (c.at(10)) a.x = c.real();
        else if (c.at(20)) a.y = c.real();
        else if (c.at(11)) b.x = c.real();
        else if (c.at(21)) b.y = c.real();
        else break;
      }
      polygon.push_back(a);
      polygon.push_back(b);
      return true;
    }
    case 2:
    case 3: {  // circular or elliptical arc
      Point2d centre, major{1, 0};
      double radius = 0, ratio = 1, start = 0, end = 360;
      bool ccw = true;
      while (c.ok()) {
        if (c.at(10)) centre.x = c.real();
        else if (c.at(20)) centre.y = c.real();
        else if (c.at(11)) major.x = c.real();
        else if (c.at(21)) major.y = c.real();
        else if (c.at(40)) (type == 2 ? radius : ratio) = c.real();
        else if (c.at(50)) start = c.real();
        else if (c.at(51)) end = c.real();
        else if (c.at(73)) ccw = c.integer() != 0;
        else break;
      }
      if (type == 2) major = {radius, 0};
      sampleEdgeArc(polygon, centre, major, ratio, start, end, ccw);
      return true;
    }
    case 4: {  // spline: the curve lies within its control points' hull
      while (c.ok()) {
        if (c.at(10)) {
          Point2d p{c.real(), 0};
          if (c.at(20)) p.y = c.real();
          polygon.push_back(p);
        } else if (c.at(11)) {
          Point2d p{c.real(), 0};
          if (c.at(21)) p.y = c.real();
          polygon.push_back(p);
        } else if (c.at(94) || c.at(73) || c.at(74) || c.at(95) || c.at(96) || c.at(40) || c.at(42) ||
                   c.at(12) || c.at(22) || c.at(13) || c.at(23)) {
          c.skip();
        } else if (c.at(97)) {
          // Fit-point count of a spline edge; the loop's own 97 comes after the last edge and is harmless here.
          c.skip();
        } else {
          break;
        }
      }
      return true;
    }
    default:
      return false;
  }
}

// What follows the boundary: the pattern's lines (53 opens each) and a gradient (450 and on). Seed points and
// the rest say nothing the plot draws. A damaged boundary stops the loops early; the fill is still found.
void readFill(const std::vector<Group>& fields, std::size_t from, Scanner& s, Hatch& hatch) {
  constexpr std::size_t kMostDashes = 64;
  Hatch::Gradient gradient;
  bool gradientOn = false, inColours = false;
  for (std::size_t i = from; i < fields.size() && !s.failed(); ++i) {
    const Group& g = fields[i];
    Hatch::PatternLine* line = hatch.patternLines.empty() ? nullptr : &hatch.patternLines.back();
    switch (g.code) {
      case 53: hatch.patternLines.push_back({s.real(g) * (std::numbers::pi / 180), {}, {}, {}}); break;
      case 43: if (line) line->base.x = s.real(g); break;
      case 44: if (line) line->base.y = s.real(g); break;
      case 45: if (line) line->offset.x = s.real(g); break;
      case 46: if (line) line->offset.y = s.real(g); break;
      case 49: if (line && line->dashes.size() < kMostDashes) line->dashes.push_back(s.real(g)); break;
      case 450: gradientOn = s.integer(g) != 0; break;
      case 452: gradient.oneColour = s.integer(g) != 0; break;
      case 453: inColours = true; break;
      case 421: if (inColours) gradient.colours.push_back(static_cast<std::uint32_t>(s.integer(g)) & 0xFFFFFFu); break;
      case 460: gradient.angle = s.real(g); break;
      case 461: gradient.shift = s.real(g); break;
      case 462: gradient.tint = s.real(g); break;
      case 470: gradient.name = widenHandle(g.value); break;
      default: break;
    }
  }
  if (gradientOn) hatch.gradient = std::move(gradient);
}

}  // namespace

std::unique_ptr<Entity> readHatch(const std::vector<Group>& fields, Scanner& s) {
  auto hatch = std::make_unique<Hatch>();
  std::size_t i = 0;
  for (; i < fields.size(); ++i) {
    const Group& g = fields[i];
    if (g.code == 91) break;
    switch (g.code) {
      case 2: hatch->patternName = widenHandle(g.value); break;
      case 70: hatch->solidFill = (s.integer(g) & 1) != 0; break;
      case 30: hatch->elevation = s.real(g); break;
      case 210: hatch->normal.x = s.real(g); break;
      case 220: hatch->normal.y = s.real(g); break;
      case 230: hatch->normal.z = s.real(g); break;
      default: break;
    }
  }
  if (i >= fields.size()) return hatch;
  Cursor c(fields, i + 1, s);
  while (c.at(92) && c.ok()) {
    const int flags = c.integer();
    std::vector<Point2d> polygon;
    bool known = true;
    if ((flags & 2) != 0) {
      readPolylineLoop(c, polygon);
    } else {
      if (c.at(93)) c.skip();
      while (c.at(72) && c.ok() && known) known = readEdge(c, polygon);
    }
    if (c.at(97)) c.skip();
    while (c.at(330)) c.skip();
    if (!polygon.empty()) hatch->loops.push_back(std::move(polygon));
    if (!known) break;
  }
  readFill(fields, c.place(), s, *hatch);
  return hatch;
}

}  // namespace cad::dxf
