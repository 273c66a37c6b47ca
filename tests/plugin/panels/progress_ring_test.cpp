// The progress ring: its layers and their looks, the wave path, the share it shows (never 100 % before success),
// its keyed animations (each key replaced, none with Reduce Motion) and its success state.

#include <cmath>
#include <limits>
#include <numbers>
#include <variant>

#include "graphics/color.h"
#include "panels/progress_ring.h"
#include "panels_fixture.h"
#include "toolkit/text_field.h"

namespace panels_test {
namespace {

using graphics::BezierPath;
using graphics::Color;
using graphics::Point;

constexpr double kPi = std::numbers::pi;
constexpr double kForever = std::numeric_limits<double>::infinity();

bool sameColor(const std::optional<Color>& a, const Color& b) {
  auto near = [](double x, double y) { return std::abs(x - y) < 1e-9; };
  return a && near(a->red(), b.red()) && near(a->green(), b.green()) && near(a->blue(), b.blue()) &&
         near(a->alpha(), b.alpha());
}

bool samePath(const BezierPath& a, const BezierPath& b) {
  if (a.elements().size() != b.elements().size()) return false;
  for (std::size_t i = 0; i < a.elements().size(); ++i) {
    const auto& x = a.elements()[i];
    const auto& y = b.elements()[i];
    if (x.kind != y.kind) return false;
    for (int p = 0; p < 3; ++p) {
      if (std::abs(x.points[p].x - y.points[p].x) > 1e-9 || std::abs(x.points[p].y - y.points[p].y) > 1e-9)
        return false;
    }
  }
  return true;
}

bool near(Point a, Point b, double tolerance = 1e-6) {
  return std::abs(a.x - b.x) < tolerance && std::abs(a.y - b.y) < tolerance;
}

class RingTest : public PanelsTest {
 protected:
  QDLPrintProgressRing ring_{{70, 150, 200, 200}};
};

TEST_F(RingTest, WavesTrackArcAndCheckLieUnderThePercentLabel) {
  ASSERT_TRUE(ring_.wantsLayer());
  EXPECT_TRUE(sameColor(ring_.layer()->backgroundColor, Color::clear()));
  const auto& layers = ring_.layer()->sublayers();
  ASSERT_EQ(layers.size(), 6u);
  const auto& waves = ring_.waves();
  EXPECT_EQ(layers[0], waves[0]);
  EXPECT_EQ(layers[1], waves[1]);
  EXPECT_EQ(layers[2], waves[2]);
  EXPECT_EQ(layers[3], ring_.track());
  EXPECT_EQ(layers[4], ring_.progress());
  EXPECT_EQ(layers[5], ring_.check());

  const Color colors[] = {Color::srgb(0.24, 0.70, 0.94), Color::srgb(0.51, 0.29, 0.91), Color::srgb(0.81, 0.25, 0.82)};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const toolkit::ShapeLayer& wave = *waves[i];
    EXPECT_TRUE(samePath(wave.path, QDLProgressWave(2.1 * i, 76 + 2 * i)));
    EXPECT_TRUE(sameColor(wave.strokeColor, colors[i]));
    EXPECT_TRUE(sameColor(wave.shadowColor, colors[i]));
    EXPECT_TRUE(sameColor(wave.fillColor, Color::clear()));
    EXPECT_EQ(wave.lineWidth, 1.25);
    // It turns about the ring's centre.
    EXPECT_EQ(wave.frame, ring_.bounds());
    EXPECT_EQ(wave.opacity, 0.75);
    EXPECT_EQ(wave.shadowOpacity, 0.8);
    EXPECT_EQ(wave.shadowRadius, 5);
    EXPECT_EQ(wave.shadowOffset, (toolkit::Size{0, 0}));
  }
  EXPECT_TRUE(sameColor(ring_.track()->strokeColor, Color::grey(0.25, 1)));
  EXPECT_EQ(ring_.track()->lineWidth, 2.5);
  EXPECT_TRUE(sameColor(ring_.progress()->strokeColor, Color::white()));
  EXPECT_EQ(ring_.progress()->lineWidth, 2.5);
  EXPECT_EQ(ring_.progress()->lineCap, graphics::LineCap::round);
  EXPECT_EQ(ring_.progress()->strokeEnd, 0);
  EXPECT_TRUE(samePath(ring_.progress()->path, ring_.track()->path));
  EXPECT_TRUE(sameColor(ring_.check()->strokeColor, Color::srgb(0.25, 0.85, 0.43)));
  EXPECT_EQ(ring_.check()->lineWidth, 4);
  EXPECT_EQ(ring_.check()->lineJoin, graphics::LineJoin::round);
  EXPECT_EQ(ring_.check()->opacity, 0);
  const auto tick = ring_.check()->path.flattened();
  ASSERT_EQ(tick.size(), 1u);
  EXPECT_EQ(tick[0], (std::vector<Point>{{84, 99}, {96, 87}, {118, 112}}));

  const toolkit::TextField& label = *ring_.percentLabel();
  EXPECT_EQ(label.superview(), &ring_);
  EXPECT_EQ(label.identifier(), "progressPercent");
  EXPECT_EQ(label.stringValue(), "0%");
  EXPECT_EQ(label.frame(), (toolkit::Rect{0, 76, 200, 50}));
  EXPECT_EQ(label.font(), graphics::Font::monospacedDigitSystem(34, graphics::FontWeight::semibold));
  EXPECT_EQ(label.alignment(), graphics::TextAlignment::center);
  EXPECT_TRUE(sameColor(label.textColor(), Color::white()));
  EXPECT_FALSE(label.isEditable());
}

TEST_F(RingTest, AWaveIsAClosedRippleOf97PointsAroundTheCentre) {
  for (const double phase : {0.0, 2.1, 4.2, 1.0}) {
    const double radius = 78;
    const BezierPath wave = QDLProgressWave(phase, radius);
    ASSERT_EQ(wave.elements().size(), 98u) << "97 points and the close";
    EXPECT_EQ(wave.elements().back().kind, BezierPath::Element::Kind::close);
    EXPECT_TRUE(near(wave.elements()[96].points[0], wave.elements()[0].points[0]));
    for (int k = 0; k < 97; ++k) {
      const Point p = wave.elements()[k].points[0];
      const double x = 2 * kPi * k / 96;
      const double r = radius + 2.8 * std::sin(5 * x + phase) + 1.4 * std::sin(3 * x - phase);
      EXPECT_TRUE(near(p, {100 + r * std::cos(x), 100 + r * std::sin(x)})) << k;
      EXPECT_LE(std::abs(std::hypot(p.x - 100, p.y - 100) - radius), 4.2 + 1e-9) << k;
    }
  }
}

// The arc starts at the top and grows clockwise (y up): a quarter of it ends on the right, half at the bottom.
TEST_F(RingTest, TheArcGrowsClockwiseFromTheTop) {
  const BezierPath& circle = ring_.progress()->path;
  const auto end = [&](double share) { return circle.trimmed(0, share).flattened(0.001).front().back(); };
  EXPECT_TRUE(near(circle.flattened().front().front(), {100, 161}));
  EXPECT_TRUE(near(end(0.25), {161, 100}, 0.05));
  EXPECT_TRUE(near(end(0.5), {100, 39}, 0.05));
  EXPECT_TRUE(near(end(1.0), {100, 161}, 0.05));
}

TEST_F(RingTest, ItShowsTheShareRoundedDownAndNever100BeforeSuccess) {
  const struct {
    std::int64_t completed, total;
    const char* text;
  } cases[] = {{0, 0, "0%"},      {1, 0, "99%"},
               {1, 1, "99%"},     {5, 5, "99%"},
               {-1, 3, "0%"},     {2, 3, "66%"},
               {1, 3, "33%"},     {1, 200, "0%"},
               {199, 200, "99%"}, {std::numeric_limits<std::int64_t>::max(), 2, "99%"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const long commits = toolkit::Transaction::commitCount(), flushes = toolkit::Transaction::flushCount();
    ring_.setCompleted(c.completed, c.total);
    EXPECT_EQ(ring_.percentLabel()->stringValue(), c.text);
    EXPECT_EQ(ring_.percentLabel()->accessibilityLabel(), c.text);
    EXPECT_DOUBLE_EQ(ring_.progress()->strokeEnd, std::stod(c.text) / 100);
    // The arc jumps to its share: its change is committed with implicit animation off, then handed on.
    EXPECT_EQ(toolkit::Transaction::commitCount(), commits + 1);
    EXPECT_TRUE(toolkit::Transaction::lastCommitDisabledActions());
    EXPECT_EQ(toolkit::Transaction::flushCount(), flushes + 1);
  }
}

TEST_F(RingTest, WavesRippleAndTurnEachAtItsPaceTheMiddleOneBackwards) {
  const long flushes = toolkit::Transaction::flushCount();
  ring_.startAnimating();
  EXPECT_EQ(toolkit::Transaction::flushCount(), flushes + 1);
  const double ripple[] = {3.2, 3.65, 4.1};
  const double spin[] = {10, 12, 14};
  const double turn[] = {2 * kPi, -2 * kPi, 2 * kPi};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const toolkit::ShapeLayer& wave = *ring_.waves()[i];
    EXPECT_EQ(wave.animationKeys(), (std::vector<std::string>{"ripple", "spin"}));

    const toolkit::Animation& r = *wave.animation("ripple");
    EXPECT_EQ(r.kind, toolkit::Animation::Kind::keyframe);
    EXPECT_EQ(r.keyPath, "path");
    EXPECT_DOUBLE_EQ(r.duration, ripple[i]);
    EXPECT_EQ(r.repeatCount, kForever);
    ASSERT_EQ(r.values.size(), 33u);
    for (int j = 0; j <= 32; ++j) {
      EXPECT_TRUE(samePath(std::get<BezierPath>(r.values[j]), QDLProgressWave(2 * kPi * j / 32 + 2.1 * i, 76 + 2 * i)))
          << j;
    }
    // A whole turn of the phase: the last frame is the first.
    EXPECT_TRUE(near(std::get<BezierPath>(r.values[32]).elements()[5].points[0],
                     std::get<BezierPath>(r.values[0]).elements()[5].points[0], 1e-9));

    const toolkit::Animation& s = *wave.animation("spin");
    EXPECT_EQ(s.kind, toolkit::Animation::Kind::basic);
    EXPECT_EQ(s.keyPath, "transform.rotation.z");
    EXPECT_EQ(std::get<double>(*s.fromValue), 0);
    EXPECT_DOUBLE_EQ(std::get<double>(*s.toValue), turn[i]);
    EXPECT_DOUBLE_EQ(s.duration, spin[i]);
    EXPECT_EQ(s.repeatCount, kForever);
  }
  // Starting again replaces the running animations under the same keys.
  ring_.startAnimating();
  for (const auto& wave : ring_.waves()) EXPECT_EQ(wave->animationKeys(), (std::vector<std::string>{"ripple", "spin"}));
  EXPECT_TRUE(ring_.progress()->animationKeys().empty());
}

TEST_F(RingTest, SuccessHidesTheWavesClosesTheArcAndDrawsTheCheckIn) {
  ring_.startAnimating();
  ring_.setCompleted(3, 3);
  ring_.showSuccess();
  for (const auto& wave : ring_.waves()) {
    EXPECT_TRUE(wave->animationKeys().empty());
    EXPECT_EQ(wave->opacity, 0);
  }
  EXPECT_EQ(ring_.progress()->strokeEnd, 1);
  EXPECT_EQ(ring_.check()->opacity, 1);
  EXPECT_EQ(ring_.check()->strokeEnd, 1);
  EXPECT_TRUE(toolkit::Transaction::lastCommitDisabledActions());
  EXPECT_TRUE(ring_.percentLabel()->isHidden());
  EXPECT_EQ(ring_.percentLabel()->stringValue(), "100%");
  ASSERT_EQ(ring_.check()->animationKeys(), std::vector<std::string>{"success"});
  const toolkit::Animation& drawIn = *ring_.check()->animation("success");
  EXPECT_EQ(drawIn.keyPath, "strokeEnd");
  EXPECT_EQ(std::get<double>(*drawIn.fromValue), 0);
  EXPECT_EQ(std::get<double>(*drawIn.toValue), 1);
  EXPECT_DOUBLE_EQ(drawIn.duration, 0.32);
  EXPECT_EQ(drawIn.repeatCount, 0);

  ring_.stopAnimating();
  EXPECT_TRUE(ring_.check()->animationKeys().empty());
}

TEST_F(RingTest, WithReduceMotionNothingMovesAndTheCheckAppearsAtOnce) {
  toolkit::Application::shared().setAccessibilityDisplayShouldReduceMotion(true);
  ring_.startAnimating();
  for (const auto& wave : ring_.waves()) EXPECT_TRUE(wave->animationKeys().empty());
  ring_.showSuccess();
  EXPECT_TRUE(ring_.check()->animationKeys().empty());
  EXPECT_EQ(ring_.check()->opacity, 1);
  EXPECT_EQ(ring_.check()->strokeEnd, 1);
}

}  // namespace
}  // namespace panels_test
