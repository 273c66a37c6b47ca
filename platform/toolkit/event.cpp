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

std::int64_t QuartzEvent::integerValueField(int field) const {
  const auto it = fields_.find(field);
  return it == fields_.end() ? 0 : it->second;
}

std::shared_ptr<QuartzEvent> QuartzEvent::copy() const {
  if (copyFails_) return nullptr;
  return std::make_shared<QuartzEvent>(*this);
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
  auto quartz = std::make_shared<QuartzEvent>(windowNumber, locationInWindow);
  // A line is ten points here; the fixed-point fields hold lines as 16.16.
  quartz->setIntegerValueField(QuartzEvent::kDeltaAxis1, rounded(deltaY / 10));
  quartz->setIntegerValueField(QuartzEvent::kDeltaAxis2, rounded(deltaX / 10));
  quartz->setIntegerValueField(QuartzEvent::kFixedPtDeltaAxis1, rounded(deltaY / 10 * 65536));
  quartz->setIntegerValueField(QuartzEvent::kFixedPtDeltaAxis2, rounded(deltaX / 10 * 65536));
  quartz->setIntegerValueField(QuartzEvent::kPointDeltaAxis1, rounded(deltaY));
  quartz->setIntegerValueField(QuartzEvent::kPointDeltaAxis2, rounded(deltaX));
  return fromQuartzEvent(quartz);
}

Event Event::fromQuartzEvent(const std::shared_ptr<QuartzEvent>& quartz) {
  Event e;
  e.type_ = EventType::scrollWheel;
  if (quartz) {
    e.windowNumber_ = quartz->windowNumber();
    e.location_ = quartz->locationInWindow();
  }
  e.quartz_ = quartz;
  e.timestamp_ = now();
  return e;
}

double Event::scrollingDeltaX() const {
  return quartz_ ? static_cast<double>(quartz_->integerValueField(QuartzEvent::kPointDeltaAxis2)) : 0.0;
}

double Event::scrollingDeltaY() const {
  return quartz_ ? static_cast<double>(quartz_->integerValueField(QuartzEvent::kPointDeltaAxis1)) : 0.0;
}

}  // namespace toolkit
