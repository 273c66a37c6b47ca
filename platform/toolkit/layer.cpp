#include "toolkit/layer.h"

#include <algorithm>

namespace toolkit {

Animation Animation::basic(std::string keyPath, AnimationValue from, AnimationValue to, double duration,
                           double repeatCount) {
  Animation a;
  a.kind = Kind::basic;
  a.keyPath = std::move(keyPath);
  a.fromValue = std::move(from);
  a.toValue = std::move(to);
  a.duration = duration;
  a.repeatCount = repeatCount;
  return a;
}

Animation Animation::keyframe(std::string keyPath, std::vector<AnimationValue> values, double duration,
                              double repeatCount) {
  Animation a;
  a.kind = Kind::keyframe;
  a.keyPath = std::move(keyPath);
  a.values = std::move(values);
  a.duration = duration;
  a.repeatCount = repeatCount;
  return a;
}

void Layer::addSublayer(const std::shared_ptr<Layer>& layer) {
  if (!layer || layer.get() == this) return;
  const std::shared_ptr<Layer> keep = layer;
  layer->removeFromSuperlayer();
  sublayers_.push_back(keep);
  keep->superlayer_ = this;
}

void Layer::removeFromSuperlayer() {
  if (superlayer_ == nullptr) return;
  auto& siblings = superlayer_->sublayers_;
  superlayer_ = nullptr;
  const auto it = std::find_if(siblings.begin(), siblings.end(), [this](const auto& l) { return l.get() == this; });
  // The erase may drop the last reference to this layer, so nothing of it is touched afterwards.
  if (it != siblings.end()) siblings.erase(it);
}

void Layer::addAnimation(const Animation& animation, const std::string& key) {
  for (auto& entry : animations_) {
    if (entry.first == key) {
      entry.second = animation;
      return;
    }
  }
  animations_.emplace_back(key, animation);
}

void Layer::removeAnimation(const std::string& key) {
  std::erase_if(animations_, [&](const auto& entry) { return entry.first == key; });
}

void Layer::removeAllAnimations() { animations_.clear(); }

const Animation* Layer::animation(const std::string& key) const {
  for (const auto& entry : animations_) {
    if (entry.first == key) return &entry.second;
  }
  return nullptr;
}

std::vector<std::string> Layer::animationKeys() const {
  std::vector<std::string> keys;
  for (const auto& entry : animations_) keys.push_back(entry.first);
  return keys;
}

void Layer::render(graphics::GraphicsContext& context, const std::function<void()>& content) const {
  if (hidden || opacity <= 0) return;
  context.saveGState();
  context.setAlpha(context.alpha() * opacity);
  const Rect box{0, 0, frame.width(), frame.height()};
  if (backgroundColor && !box.isEmpty()) {
    context.fillPath(graphics::BezierPath::roundedRect(box, cornerRadius, cornerRadius), *backgroundColor);
  }
  drawContent(context);
  if (content) content();
  for (const auto& sub : sublayers_) {
    context.saveGState();
    context.translate(sub->frame.minX(), sub->frame.minY());
    sub->render(context);
    context.restoreGState();
  }
  if (borderWidth > 0 && !box.isEmpty()) {
    graphics::BezierPath border = graphics::BezierPath::roundedRect(
        box.insetBy(borderWidth / 2, borderWidth / 2), cornerRadius, cornerRadius);
    border.lineWidth = borderWidth;
    context.strokePath(border, borderColor);
  }
  context.restoreGState();
}

void Layer::drawContent(graphics::GraphicsContext&) const {}

void ShapeLayer::drawContent(graphics::GraphicsContext& context) const {
  if (path.isEmpty()) return;
  if (fillColor) context.fillPath(path, *fillColor);
  if (strokeColor && lineWidth > 0) {
    graphics::BezierPath stroke = strokeStart <= 0 && strokeEnd >= 1 ? path : path.trimmed(strokeStart, strokeEnd);
    stroke.lineWidth = lineWidth;
    stroke.lineCap = lineCap;
    stroke.lineJoin = lineJoin;
    if (!stroke.isEmpty()) context.strokePath(stroke, *strokeColor);
  }
}

namespace {
struct TransactionState {
  int depth = 0;
  bool disableActions = false;
  long flushes = 0;
  long commits = 0;
  bool lastCommitDisabledActions = false;
};
TransactionState& transactions() {
  static TransactionState state;
  return state;
}
}  // namespace

void Transaction::begin() { ++transactions().depth; }

void Transaction::commit() {
  TransactionState& t = transactions();
  if (t.depth == 0) {
    t.disableActions = false;
    return;
  }
  if (--t.depth > 0) return;
  // Leaving the outermost transaction ends its settings.
  ++t.commits;
  t.lastCommitDisabledActions = t.disableActions;
  t.disableActions = false;
}

void Transaction::flush() { ++transactions().flushes; }
void Transaction::setDisableActions(bool disable) { transactions().disableActions = disable; }
bool Transaction::disableActions() { return transactions().disableActions; }
int Transaction::depth() { return transactions().depth; }
long Transaction::flushCount() { return transactions().flushes; }
long Transaction::commitCount() { return transactions().commits; }
bool Transaction::lastCommitDisabledActions() { return transactions().lastCommitDisabledActions; }
void Transaction::resetForTesting() { transactions() = {}; }

}  // namespace toolkit
