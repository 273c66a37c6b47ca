#include "panels/progress_ring.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "foundation/format.h"
#include "graphics/color.h"
#include "graphics/font.h"
#include "toolkit/application.h"
#include "toolkit/text_field.h"

using graphics::Color;

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kForever = std::numeric_limits<double>::infinity();
constexpr toolkit::Point kCentre{100, 100};
constexpr double kTrackRadius = 61;

double wavePhase(int wave) { return 2.1 * wave; }
double waveRadius(int wave) { return 76 + 2.0 * wave; }

Color waveColor(int wave) {
  static const Color colors[] = {Color::srgb(0.24, 0.70, 0.94), Color::srgb(0.51, 0.29, 0.91),
                                 Color::srgb(0.81, 0.25, 0.82)};
  return colors[wave];
}

bool reduceMotion() { return toolkit::Application::shared().accessibilityDisplayShouldReduceMotion(); }

// A circle from the top, clockwise, so that a growing stroke end runs clockwise from the top.
graphics::BezierPath trackCircle() {
  graphics::BezierPath path;
  path.addArc(kCentre, kTrackRadius, kPi / 2, -3 * kPi / 2, true);
  return path;
}

std::shared_ptr<toolkit::ShapeLayer> strokedLayer(graphics::BezierPath path, const Color& stroke, double lineWidth,
                                                  const toolkit::Rect& frame) {
  auto layer = std::make_shared<toolkit::ShapeLayer>();
  layer->frame = frame;
  layer->path = std::move(path);
  layer->strokeColor = stroke;
  layer->fillColor = Color::clear();
  layer->lineWidth = lineWidth;
  return layer;
}

}  // namespace

graphics::BezierPath QDLProgressWave(double phase, double radius) {
  constexpr int kSteps = 96;
  graphics::BezierPath path;
  for (int k = 0; k <= kSteps; ++k) {
    const double x = 2 * kPi * k / kSteps;
    const double r = radius + 2.8 * std::sin(5 * x + phase) + 1.4 * std::sin(3 * x - phase);
    const graphics::Point point{kCentre.x + r * std::cos(x), kCentre.y + r * std::sin(x)};
    if (k == 0) path.moveTo(point);
    else path.lineTo(point);
  }
  path.close();
  return path;
}

QDLPrintProgressRing::QDLPrintProgressRing(const toolkit::Rect& frame) : View(frame) {
  setWantsLayer(true);
  layer()->backgroundColor = Color::clear();
  const toolkit::Rect box = bounds();

  for (int i = 0; i < 3; ++i) {
    auto wave = strokedLayer(QDLProgressWave(wavePhase(i), waveRadius(i)), waveColor(i), 1.25, box);
    wave->opacity = 0.75;
    wave->shadowColor = waveColor(i);
    wave->shadowOpacity = 0.8;
    wave->shadowRadius = 5;
    wave->shadowOffset = {0, 0};
    layer()->addSublayer(wave);
    waves_[i] = wave;
  }
  track_ = strokedLayer(trackCircle(), Color::grey(0.25, 1), 2.5, box);
  layer()->addSublayer(track_);
  progress_ = strokedLayer(trackCircle(), Color::white(), 2.5, box);
  progress_->lineCap = graphics::LineCap::round;
  progress_->strokeEnd = 0;
  layer()->addSublayer(progress_);

  graphics::BezierPath tick;
  tick.moveTo({84, 99});
  tick.lineTo({96, 87});
  tick.lineTo({118, 112});
  check_ = strokedLayer(std::move(tick), Color::srgb(0.25, 0.85, 0.43, 1), 4, box);
  check_->lineCap = graphics::LineCap::round;
  check_->lineJoin = graphics::LineJoin::round;
  check_->opacity = 0;
  layer()->addSublayer(check_);

  percentLabel_ = toolkit::TextField::labelWithString("0%");
  percentLabel_->setIdentifier("progressPercent");
  percentLabel_->setFrame({0, 76, 200, 50});
  percentLabel_->setAlignment(graphics::TextAlignment::center);
  percentLabel_->setFont(graphics::Font::monospacedDigitSystem(34, graphics::FontWeight::semibold));
  percentLabel_->setTextColor(Color::white());
  addSubview(percentLabel_);
}

void QDLPrintProgressRing::startAnimating() {
  if (reduceMotion()) return;
  constexpr int kRippleFrames = 32;
  for (int i = 0; i < 3; ++i) {
    // Every frame is computed here, once; the animation only plays them.
    std::vector<toolkit::AnimationValue> paths;
    for (int j = 0; j <= kRippleFrames; ++j) {
      paths.emplace_back(QDLProgressWave(2 * kPi * j / kRippleFrames + wavePhase(i), waveRadius(i)));
    }
    waves_[i]->addAnimation(toolkit::Animation::keyframe("path", std::move(paths), 3.2 + 0.45 * i, kForever), "ripple");
    // The middle wave turns against the other two.
    const double turn = i == 1 ? -2 * kPi : 2 * kPi;
    waves_[i]->addAnimation(toolkit::Animation::basic("transform.rotation.z", 0.0, turn, 10 + 2.0 * i, kForever),
                            "spin");
  }
  toolkit::Transaction::flush();
}

void QDLPrintProgressRing::setCompleted(std::int64_t completed, std::int64_t total) {
  const double share = 100.0 * static_cast<double>(completed) / static_cast<double>(std::max<std::int64_t>(total, 1));
  const long percent = static_cast<long>(std::clamp(std::floor(share), 0.0, 99.0));
  toolkit::Transaction::begin();
  toolkit::Transaction::setDisableActions(true);
  progress_->strokeEnd = percent / 100.0;
  toolkit::Transaction::commit();
  const std::string text = foundation::format("%ld%%", percent);
  percentLabel_->setStringValue(text);
  percentLabel_->setAccessibilityLabel(text);
  toolkit::Transaction::flush();
}

void QDLPrintProgressRing::showSuccess() {
  stopAnimating();
  toolkit::Transaction::begin();
  toolkit::Transaction::setDisableActions(true);
  for (const auto& wave : waves_) wave->opacity = 0;
  progress_->strokeEnd = 1;
  check_->opacity = 1;
  check_->strokeEnd = 1;
  toolkit::Transaction::commit();
  percentLabel_->setHidden(true);
  percentLabel_->setStringValue("100%");
  if (!reduceMotion()) {
    check_->addAnimation(toolkit::Animation::basic("strokeEnd", 0.0, 1.0, 0.32), "success");
  }
  toolkit::Transaction::flush();
}

void QDLPrintProgressRing::stopAnimating() {
  for (const auto& wave : waves_) wave->removeAllAnimations();
  progress_->removeAllAnimations();
  check_->removeAllAnimations();
}
