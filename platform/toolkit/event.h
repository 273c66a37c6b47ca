#pragma once
// Events as windows receive them: mouse, key and scroll-wheel events with the platform's type numbers and
// modifier flags. A scroll-wheel event carries its low-level event: integer fields by number, kept exactly as
// they were set (field 93 is a 16.16 fixed-point value and stays raw).

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "toolkit/geometry.h"

namespace toolkit {

enum class EventType {
  leftMouseDown = 1,
  leftMouseUp = 2,
  rightMouseDown = 3,
  rightMouseUp = 4,
  mouseMoved = 5,
  keyDown = 10,
  keyUp = 11,
  flagsChanged = 12,
  applicationDefined = 15,
  scrollWheel = 22,
  magnify = 30,
  swipe = 31,
};

// Modifier flags, as the platform numbers them.
namespace modifier {
inline constexpr std::uint64_t shift = 1u << 17;
inline constexpr std::uint64_t control = 1u << 18;
inline constexpr std::uint64_t option = 1u << 19;
inline constexpr std::uint64_t command = 1u << 20;
// The flags that decide a key equivalent.
inline constexpr std::uint64_t deviceIndependentMask = shift | control | option | command;
}  // namespace modifier

// Characters of special keys.
namespace key {
inline constexpr const char* escape = "\x1b";
inline constexpr const char* carriageReturn = "\r";
inline constexpr const char* tab = "\t";
inline constexpr const char* backspace = "\x7f";
}  // namespace key

// The low-level event under a scroll-wheel event: its window and location, and integer fields by number.
// Copying can be made to fail, as it can on the platform.
class LowLevelEvent {
 public:
  LowLevelEvent(int windowNumber, Point locationInWindow) : windowNumber_(windowNumber), location_(locationInWindow) {}
  int windowNumber() const { return windowNumber_; }
  Point locationInWindow() const { return location_; }

  // Field numbers of the scroll-wheel deltas: 11/12 lines, 93/94 lines in 16.16 fixed point, 96/97 points;
  // axis 1 is vertical, axis 2 horizontal.
  static constexpr int kDeltaAxis1 = 11;
  static constexpr int kDeltaAxis2 = 12;
  static constexpr int kFixedPtDeltaAxis1 = 93;
  static constexpr int kFixedPtDeltaAxis2 = 94;
  static constexpr int kPointDeltaAxis1 = 96;
  static constexpr int kPointDeltaAxis2 = 97;

  // Unset fields read 0.
  std::int64_t integerValueField(int field) const;
  void setIntegerValueField(int field, std::int64_t value) { fields_[field] = value; }
  const std::map<int, std::int64_t>& fields() const { return fields_; }

  // nullptr when copying fails (see setCopyFails).
  std::shared_ptr<LowLevelEvent> copy() const;
  // Makes every later copy of this event fail, for tests of the failure path.
  void setCopyFails(bool fails) { copyFails_ = fails; }

 private:
  int windowNumber_;
  Point location_;
  std::map<int, std::int64_t> fields_;
  bool copyFails_ = false;
};

class Event {
 public:
  // A mouse event at a point of the window (y up).
  static Event mouse(EventType type, int windowNumber, Point locationInWindow, int clickCount = 1,
                     std::uint64_t modifierFlags = 0);
  // A key press: `characters` as typed with the modifiers, `charactersIgnoringModifiers` without them.
  static Event keyDown(int windowNumber, const std::string& charactersIgnoringModifiers,
                       std::uint64_t modifierFlags = 0);
  // A scroll-wheel event: whole-line deltas in fields 11/12, fixed-point in 93/94, point deltas in 96/97.
  static Event scrollWheel(int windowNumber, Point locationInWindow, double deltaY, double deltaX = 0);
  // The scroll-wheel event of a low-level event, at its window and location.
  static Event fromLowLevelEvent(const std::shared_ptr<LowLevelEvent>& lowLevel);

  EventType type() const { return type_; }
  // 0: no window (key events then go to the key window).
  int windowNumber() const { return windowNumber_; }
  Point locationInWindow() const { return location_; }
  std::uint64_t modifierFlags() const { return modifiers_; }
  int clickCount() const { return clickCount_; }
  const std::string& characters() const { return characters_; }
  const std::string& charactersIgnoringModifiers() const { return charactersIgnoringModifiers_; }
  // Seconds on the main queue's clock; events newer than a poll's moment wait for a later poll.
  double timestamp() const { return timestamp_; }
  void setTimestamp(double seconds) { timestamp_ = seconds; }

  // Scroll wheel: the low-level event (nullptr for other types) and the point deltas it carries.
  const std::shared_ptr<LowLevelEvent>& lowLevelEvent() const { return lowLevel_; }
  double scrollingDeltaX() const;
  double scrollingDeltaY() const;

 private:
  EventType type_ = EventType::applicationDefined;
  int windowNumber_ = 0;
  Point location_;
  std::uint64_t modifiers_ = 0;
  int clickCount_ = 0;
  std::string characters_;
  std::string charactersIgnoringModifiers_;
  double timestamp_ = 0;
  std::shared_ptr<LowLevelEvent> lowLevel_;
};

}  // namespace toolkit
