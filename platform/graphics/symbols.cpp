#include "graphics/symbols.h"

#include <cmath>
#include <functional>
#include <initializer_list>
#include <map>
#include <numbers>

namespace graphics {

namespace {

constexpr double kDegree = std::numbers::pi / 180;

// Builds one symbol's shapes; every stroke is 1.6 units with round caps and joins unless said otherwise.
class Pen {
 public:
  explicit Pen(Size size) { def_.size = size; }

  Pen& stroke(BezierPath path, double width = 1.6) {
    path.lineWidth = width;
    path.lineCap = LineCap::round;
    path.lineJoin = LineJoin::round;
    def_.shapes.push_back({std::move(path), false});
    return *this;
  }
  Pen& fill(BezierPath path) {
    def_.shapes.push_back({std::move(path), true});
    return *this;
  }
  Pen& line(double x0, double y0, double x1, double y1, double width = 1.6) {
    BezierPath p;
    p.moveTo({x0, y0});
    p.lineTo({x1, y1});
    return stroke(std::move(p), width);
  }
  Pen& poly(std::initializer_list<Point> points, bool closed, bool filled = false) {
    BezierPath p;
    for (const Point& q : points) p.lineTo(q);
    if (closed) p.close();
    return filled ? fill(std::move(p)) : stroke(std::move(p));
  }
  Pen& circle(double cx, double cy, double r, bool filled = false) {
    BezierPath p = BezierPath::oval({cx - r, cy - r, 2 * r, 2 * r});
    return filled ? fill(std::move(p)) : stroke(std::move(p));
  }
  Pen& box(double x, double y, double w, double h, double radius, bool filled = false) {
    BezierPath p = BezierPath::roundedRect({x, y, w, h}, radius, radius);
    return filled ? fill(std::move(p)) : stroke(std::move(p));
  }
  // A square outline drawn as dashes.
  Pen& dashedBox(double x, double y, double side, double dash) {
    BezierPath p;
    const Point corners[5] = {{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}, {x, y}};
    for (int i = 0; i < 4; ++i) {
      const Point a = corners[i], b = corners[i + 1];
      const int dashes = static_cast<int>(side / (2 * dash));
      for (int k = 0; k < dashes; ++k) {
        const double f0 = (2 * k * dash) / side, f1 = ((2 * k + 1) * dash) / side;
        p.moveTo({a.x + (b.x - a.x) * f0, a.y + (b.y - a.y) * f0});
        p.lineTo({a.x + (b.x - a.x) * f1, a.y + (b.y - a.y) * f1});
      }
    }
    return stroke(std::move(p), 1.2);
  }
  // A four-pointed star.
  Pen& sparkle(double cx, double cy, double r) {
    const double k = 0.25 * r;
    return poly({{cx, cy - r}, {cx + k, cy - k}, {cx + r, cy}, {cx + k, cy + k}, {cx, cy + r}, {cx - k, cy + k},
                 {cx - r, cy}, {cx - k, cy - k}},
                true, true);
  }
  Pen& page(double x0, double y0, double x1, double y1, double fold) {
    poly({{x0, y0}, {x1 - fold, y0}, {x1, y0 + fold}, {x1, y1}, {x0, y1}}, true);
    return poly({{x1 - fold, y0}, {x1 - fold, y0 + fold}, {x1, y0 + fold}}, false);
  }
  Pen& check(double x0, double y0, double x1, double y1, double x2, double y2) {
    return poly({{x0, y0}, {x1, y1}, {x2, y2}}, false);
  }

  SymbolDefinition done() { return std::move(def_); }

 private:
  SymbolDefinition def_;
};

const std::map<std::string, SymbolDefinition, std::less<>>& registry() {
  static const auto* symbols = [] {
    auto* m = new std::map<std::string, SymbolDefinition, std::less<>>;
    auto add = [m](const char* name, Size size, const std::function<void(Pen&)>& draw) {
      Pen pen(size);
      draw(pen);
      (*m)[name] = pen.done();
    };
    const Size box{20, 20};
    add("house", box, [](Pen& p) {
      p.poly({{2.5, 10}, {10, 3}, {17.5, 10}}, false);
      p.poly({{5, 8.5}, {5, 17}, {15, 17}, {15, 8.5}}, false);
      p.poly({{8.5, 17}, {8.5, 12.5}, {11.5, 12.5}, {11.5, 17}}, false);
    });
    add("slider.horizontal.3", box, [](Pen& p) {
      for (double y : {5.0, 10.0, 15.0}) p.line(2.5, y, 17.5, y);
      p.circle(13, 5, 2.2, true).circle(6.5, 10, 2.2, true).circle(11, 15, 2.2, true);
    });
    add("info.circle", box, [](Pen& p) {
      p.circle(10, 10, 8).circle(10, 6, 1.1, true).line(10, 9, 10, 14.5);
    });
    add("folder", box, [](Pen& p) {
      p.poly({{2, 5}, {8, 5}, {10, 7}, {18, 7}, {18, 16}, {2, 16}}, true);
    });
    add("checkmark.circle", box, [](Pen& p) { p.circle(10, 10, 8).check(6, 10.5, 9, 13.5, 14.5, 7); });
    add("minus.circle", box, [](Pen& p) { p.circle(10, 10, 8).line(6, 10, 14, 10); });
    add("doc.text", box, [](Pen& p) {
      p.page(4, 2, 16, 18, 4);
      for (double y : {9.0, 12.0, 15.0}) p.line(7, y, 13, y, 1.2);
    });
    add("sparkles", box, [](Pen& p) { p.sparkle(8, 11, 6.5).sparkle(15, 4.5, 3).sparkle(15.5, 15.5, 2.2); });
    add("square.3.layers.3d", box, [](Pen& p) {
      p.poly({{10, 3}, {17, 6.5}, {10, 10}, {3, 6.5}}, true);
      p.poly({{3, 10}, {10, 13.5}, {17, 10}}, false);
      p.poly({{3, 13.5}, {10, 17}, {17, 13.5}}, false);
    });
    add("cube", box, [](Pen& p) {
      p.poly({{10, 2}, {17, 6}, {17, 14}, {10, 18}, {3, 14}, {3, 6}}, true);
      p.poly({{3, 6}, {10, 10}, {17, 6}}, false).line(10, 10, 10, 18);
    });
    add("cursorarrow", box, [](Pen& p) {
      p.poly({{5, 2}, {5, 16}, {8.5, 12.5}, {11, 18}, {13, 17}, {10.5, 11.5}, {15, 11.5}}, true);
    });
    add("cursorarrow.and.square.on.square.dashed", box, [](Pen& p) {
      p.dashedBox(2, 2, 10, 1.25).dashedBox(6, 6, 10, 1.25);
      p.poly({{11, 10}, {11, 19}, {13.2, 16.8}, {14.8, 19.5}, {16.2, 18.8}, {14.7, 16}, {17.5, 16}}, true, true);
    });
    add("trash", box, [](Pen& p) {
      p.line(3, 5, 17, 5).poly({{8, 5}, {8, 3}, {12, 3}, {12, 5}}, false);
      p.poly({{5, 5}, {6, 18}, {14, 18}, {15, 5}}, false);
      p.line(8.5, 8, 8.5, 15, 1.2).line(11.5, 8, 11.5, 15, 1.2);
    });
    add("arrow.clockwise", box, [](Pen& p) {
      BezierPath arc;
      arc.addArc({10, 10}, 6.5, -80 * kDegree, 230 * kDegree, false);
      p.stroke(arc);
      const Point start{10 + 6.5 * std::cos(-80 * kDegree), 10 + 6.5 * std::sin(-80 * kDegree)};
      p.poly({{start.x - 3.5, start.y - 3}, start, {start.x - 3, start.y + 3.5}}, false);
    });
    add("checkmark.square", box, [](Pen& p) { p.box(3, 3, 14, 14, 3).check(6.5, 10.5, 9, 13, 13.5, 7.5); });
    add("square", box, [](Pen& p) { p.box(3, 3, 14, 14, 3); });
    add("arrow.up", box, [](Pen& p) { p.line(10, 17, 10, 3).poly({{4, 9}, {10, 3}, {16, 9}}, false); });
    add("arrow.down", box, [](Pen& p) { p.line(10, 3, 10, 17).poly({{4, 11}, {10, 17}, {16, 11}}, false); });
    add("scope", box, [](Pen& p) {
      p.circle(10, 10, 6.5).circle(10, 10, 1.5, true);
      p.line(10, 1.5, 10, 5).line(10, 15, 10, 18.5).line(1.5, 10, 5, 10).line(15, 10, 18.5, 10);
    });
    add("minus", box, [](Pen& p) { p.line(4, 10, 16, 10); });
    add("plus", box, [](Pen& p) { p.line(4, 10, 16, 10).line(10, 4, 10, 16); });
    add("arrow.uturn.backward", box, [](Pen& p) {
      BezierPath u;
      u.moveTo({16, 17});
      u.lineTo({16, 11});
      u.curveTo({10, 5}, {16, 7.7}, {13.3, 5});
      u.lineTo({4, 5});
      p.stroke(u).poly({{8, 1}, {4, 5}, {8, 9}}, false);
    });
    add("doc.badge.arrow.up", box, [](Pen& p) {
      p.page(3, 2, 13, 17, 3.5);
      p.line(16, 19, 16, 10).poly({{13, 13}, {16, 10}, {19, 13}}, false);
    });
    add("checkmark.seal", box, [](Pen& p) {
      BezierPath seal;
      for (int i = 0; i < 24; ++i) {
        const double r = i % 2 == 0 ? 8.5 : 7.2;
        const double a = i * 15 * kDegree;
        seal.lineTo({10 + r * std::cos(a), 10 + r * std::sin(a)});
      }
      seal.close();
      p.stroke(seal).check(6.5, 10.5, 9, 13, 13.5, 7.5);
    });
    add("eye", {20, 14}, [](Pen& p) {
      BezierPath almond;
      almond.moveTo({1, 7});
      almond.curveTo({19, 7}, {6, 0.5}, {14, 0.5});
      almond.curveTo({1, 7}, {14, 13.5}, {6, 13.5});
      almond.close();
      p.stroke(almond).circle(10, 7, 2.8, true);
    });
    add("play", box, [](Pen& p) { p.poly({{6, 3}, {16.5, 10}, {6, 17}}, true, true); });
    add("chevron.down", {20, 12}, [](Pen& p) { p.poly({{3, 3}, {10, 9.5}, {17, 3}}, false); });
    add("chevron.right", {12, 20}, [](Pen& p) { p.poly({{3, 3}, {9.5, 10}, {3, 17}}, false); });
    add("gearshape", box, [](Pen& p) {
      BezierPath gear;
      for (int tooth = 0; tooth < 8; ++tooth) {
        const double c = tooth * 45 * kDegree;
        for (auto [offset, r] : {std::pair{-17.0, 6.6}, {-9.0, 8.6}, {9.0, 8.6}, {17.0, 6.6}}) {
          gear.lineTo({10 + r * std::cos(c + offset * kDegree), 10 + r * std::sin(c + offset * kDegree)});
        }
      }
      gear.close();
      p.stroke(gear, 1.4).circle(10, 10, 2.8);
    });
    add("printer", box, [](Pen& p) {
      p.box(2, 7, 16, 8, 2).box(6, 2.5, 8, 4.5, 0.5).box(6, 12, 8, 6, 0.5, false);
    });
    add("arrow.up.right", box, [](Pen& p) { p.line(5, 15, 15, 5).poly({{7, 5}, {15, 5}, {15, 13}}, false); });
    return m;
  }();
  return *symbols;
}

}  // namespace

const SymbolDefinition* findSymbol(std::string_view name) {
  const auto& symbols = registry();
  const auto it = symbols.find(name);
  return it == symbols.end() ? nullptr : &it->second;
}

std::vector<std::string> symbolNames() {
  std::vector<std::string> names;
  for (const auto& entry : registry()) names.push_back(entry.first);
  return names;
}

}  // namespace graphics
