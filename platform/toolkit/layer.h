#pragma once
// Layers: what a layer-backed view draws behind its content (background colour, rounded corners, border) and
// sublayers above it, of which shape layers stroke and fill a path. Animations are not played: each is kept under
// its key, a new one replacing the old, so that tests and renders see what was asked. Transactions only count.

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "graphics/bezier_path.h"
#include "graphics/color.h"
#include "graphics/context.h"
#include "toolkit/geometry.h"

namespace toolkit {

using AnimationValue = std::variant<double, graphics::BezierPath>;

struct Animation {
  enum class Kind { basic, keyframe };
  Kind kind = Kind::basic;
  std::string keyPath;
  double duration = 0.25;
  // Without end: std::numeric_limits<double>::infinity().
  double repeatCount = 0;
  std::optional<AnimationValue> fromValue;  // basic
  std::optional<AnimationValue> toValue;    // basic
  std::vector<AnimationValue> values;       // keyframe

  static Animation basic(std::string keyPath, AnimationValue from, AnimationValue to, double duration,
                         double repeatCount = 0);
  static Animation keyframe(std::string keyPath, std::vector<AnimationValue> values, double duration,
                            double repeatCount = 0);
};

class Layer : public std::enable_shared_from_this<Layer> {
 public:
  Layer() = default;
  virtual ~Layer() = default;
  Layer(const Layer&) = delete;
  Layer& operator=(const Layer&) = delete;

  // In the coordinates of the superlayer (for a view's own layer: the view's).
  Rect frame;
  std::optional<graphics::Color> backgroundColor;
  double cornerRadius = 0;
  double borderWidth = 0;
  graphics::Color borderColor = graphics::Color::black();
  double opacity = 1;
  bool hidden = false;
  // Kept, not drawn.
  std::optional<graphics::Color> shadowColor;
  double shadowOpacity = 0;
  double shadowRadius = 3;
  Size shadowOffset{0, -3};

  // Bottom to top. Adding a layer that has a superlayer moves it.
  const std::vector<std::shared_ptr<Layer>>& sublayers() const { return sublayers_; }
  void addSublayer(const std::shared_ptr<Layer>& layer);
  void removeFromSuperlayer();
  Layer* superlayer() const { return superlayer_; }

  // Replaces an animation already under the key.
  void addAnimation(const Animation& animation, const std::string& key);
  void removeAnimation(const std::string& key);
  void removeAllAnimations();
  const Animation* animation(const std::string& key) const;
  // In the order they were first added.
  std::vector<std::string> animationKeys() const;

  // Draws the layer in its own coordinates: background, its own content, then `content` (a view's drawing),
  // the sublayers and the border.
  void render(graphics::GraphicsContext& context, const std::function<void()>& content = {}) const;

 protected:
  // What the layer itself draws above its background and below its sublayers.
  virtual void drawContent(graphics::GraphicsContext& context) const;

 private:
  std::vector<std::shared_ptr<Layer>> sublayers_;
  Layer* superlayer_ = nullptr;
  std::vector<std::pair<std::string, Animation>> animations_;
};

class ShapeLayer : public Layer {
 public:
  graphics::BezierPath path;
  std::optional<graphics::Color> fillColor = graphics::Color::black();
  std::optional<graphics::Color> strokeColor;
  double lineWidth = 1;
  graphics::LineCap lineCap = graphics::LineCap::butt;
  graphics::LineJoin lineJoin = graphics::LineJoin::miter;
  // The share of the path stroked, from start to end (0…1).
  double strokeStart = 0;
  double strokeEnd = 1;

 protected:
  void drawContent(graphics::GraphicsContext& context) const override;
};

// Groups property changes. Nothing animates implicitly here; the calls are counted for tests.
class Transaction {
 public:
  static void begin();
  static void commit();
  static void flush();
  static void setDisableActions(bool disable);
  static bool disableActions();
  static int depth();
  static long flushCount();
  // Outermost transactions committed, and whether the last of them had its actions disabled.
  static long commitCount();
  static bool lastCommitDisabledActions();
  static void resetForTesting();
};

}  // namespace toolkit
