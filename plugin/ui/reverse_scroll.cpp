#include "ui/reverse_scroll.h"

#include <array>
#include <cstdint>
#include <limits>
#include <memory>

#include "foundation/user_defaults.h"
#include "toolkit/event.h"
#include "toolkit/scroll_view.h"
#include "toolkit/window.h"

namespace {

std::int64_t negated(std::int64_t value) {
  // The one value without a negation keeps its sign's opposite as near as it can.
  return value == std::numeric_limits<std::int64_t>::min() ? std::numeric_limits<std::int64_t>::max() : -value;
}

}  // namespace

bool QDLReverseScrollEnabled() { return foundation::UserDefaults::standard().boolForKey("Quodline.ReverseScroll"); }

bool QDLHandlePanelScroll(toolkit::Window& panel, const toolkit::Event& event) {
  if (!QDLReverseScrollEnabled() || event.type() != toolkit::EventType::scrollWheel) return false;
  const std::shared_ptr<toolkit::View> content = panel.contentView();
  if (!content) return false;
  toolkit::Point point = event.locationInWindow();
  if (const toolkit::View* superview = content->superview()) point = superview->convertPointFromView(point, nullptr);
  toolkit::View* hit = content->hitTest(point);
  if (hit == nullptr) return false;
  toolkit::ScrollView* target = dynamic_cast<toolkit::ScrollView*>(hit);
  if (target == nullptr) target = hit->enclosingScrollView();
  if (target == nullptr || target->window() != &panel || target->isHiddenOrHasHiddenAncestor()) return false;
  const std::optional<toolkit::Event> reversed = QDLReversedScrollEvent(event);
  if (!reversed) return false;
  // The scroll view may be dropped by what it scrolls; it stays alive for the call.
  const std::shared_ptr<toolkit::View> keep = target->shared_from_this();
  target->scrollWheel(*reversed);
  return true;
}

std::optional<toolkit::Event> QDLReversedScrollEvent(const toolkit::Event& event) {
  if (event.type() != toolkit::EventType::scrollWheel || !event.lowLevelEvent()) return std::nullopt;
  const std::shared_ptr<toolkit::LowLevelEvent> copy = event.lowLevelEvent()->copy();
  if (!copy) return std::nullopt;
  using Fields = toolkit::LowLevelEvent;
  constexpr std::array<int, 3> kVertical = {Fields::kDeltaAxis1, Fields::kFixedPtDeltaAxis1, Fields::kPointDeltaAxis1};
  // All three are read before any is written.
  std::array<std::int64_t, 3> values{};
  for (std::size_t i = 0; i < kVertical.size(); ++i) values[i] = copy->integerValueField(kVertical[i]);
  for (std::size_t i = 0; i < kVertical.size(); ++i) copy->setIntegerValueField(kVertical[i], negated(values[i]));
  return toolkit::Event::fromLowLevelEvent(copy);
}
