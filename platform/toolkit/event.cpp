#include "toolkit/event.h"

#include <cctype>
#include <cmath>

#include "foundation/main_queue.h"

namespace toolkit {

namespace {
double now() { return foundation::MainQueue::main().clock()->now(); }

std::int64_t rounded(double v) {
  return std::isfinite(v) ? static_cast<std::int64_t>(std::llround(v)) : 0;
}
}  // namespace

std::int64_t LowLevelEvent::integerValueField(int field) const {
  const auto it = fields_.find(field);
  return it == fields_.end() ? 0 : it->second;
}

std::shared_ptr<LowLevelEvent> LowLevelEvent::copy() const {
  if (copyFails_) return nullptr;
  return std::make_shared<LowLevelEvent>(*this);
}

Event Event::mouse(EventType type, int windowNumber, Point locationInWindow, int clickCount,
                   std::uint64_t modifierFlags) {
  Event e;
  e.type_ = type;
  e.windowNumber_ = windowNumber;
  e.location_ = locationInWindow;
  e.clickCount_ = clickCount;
  e.modifiers_ = modifierFlags;
  e.timestamp_ = now();
  return e;
}

Event Event::keyDown(int windowNumber, const std::string& charactersIgnoringModifiers, std::uint64_t modifierFlags) {
  Event e;
  e.type_ = EventType::keyDown;
  e.windowNumber_ = windowNumber;
  e.modifiers_ = modifierFlags;
  e.charactersIgnoringModifiers_ = charactersIgnoringModifiers;
  // Shift gives the upper case of a letter; the other modifiers leave the characters alone here.
  e.characters_ = charactersIgnoringModifiers;
  if ((modifierFlags & modifier::shift) && e.characters_.size() == 1) {
    e.characters_[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(e.characters_[0])));
  }
  e.timestamp_ = now();
  return e;
}

Event Event::scrollWheel(int windowNumber, Point locationInWindow, double deltaY, double deltaX) {
  auto lowLevel = std::make_shared<LowLevelEvent>(windowNumber, locationInWindow);
  // A line is ten points here; the fixed-point fields hold lines as 16.16.
  lowLevel->setIntegerValueField(LowLevelEvent::kDeltaAxis1, rounded(deltaY / 10));
  lowLevel->setIntegerValueField(LowLevelEvent::kDeltaAxis2, rounded(deltaX / 10));
  lowLevel->setIntegerValueField(LowLevelEvent::kFixedPtDeltaAxis1, rounded(deltaY / 10 * 65536));
  lowLevel->setIntegerValueField(LowLevelEvent::kFixedPtDeltaAxis2, rounded(deltaX / 10 * 65536));
  lowLevel->setIntegerValueField(LowLevelEvent::kPointDeltaAxis1, rounded(deltaY));
  lowLevel->setIntegerValueField(LowLevelEvent::kPointDeltaAxis2, rounded(deltaX));
  return fromLowLevelEvent(lowLevel);
}

Event Event::fromLowLevelEvent(const std::shared_ptr<LowLevelEvent>& lowLevel) {
  Event e;
  e.type_ = EventType::scrollWheel;
  if (lowLevel) {
    e.windowNumber_ = lowLevel->windowNumber();
    e.location_ = lowLevel->locationInWindow();
  }
  e.lowLevel_ = lowLevel;
  e.timestamp_ = now();
  return e;
}

double Event::scrollingDeltaX() const {
  return lowLevel_ ? static_cast<double>(lowLevel_->integerValueField(LowLevelEvent::kPointDeltaAxis2)) : 0.0;
}

double Event::scrollingDeltaY() const {
  return lowLevel_ ? static_cast<double>(lowLevel_->integerValueField(LowLevelEvent::kPointDeltaAxis1)) : 0.0;
}

}  // namespace toolkit
