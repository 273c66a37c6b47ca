#pragma once
// Reversed vertical wheel scrolling for the plug-in's panels, on the user's setting Quodline.ReverseScroll (read
// afresh at every event, off when missing).

#include <optional>

#include "toolkit/event.h"

namespace toolkit {
class Window;
}

bool QDLReverseScrollEnabled();
// With the setting on, gives a wheel event, reversed, straight to the innermost visible scroll view of the panel
// under the pointer and returns true. Otherwise (setting off, another kind of event, no such scroll view, no
// reversed copy) returns false and the event takes its normal path unchanged.
bool QDLHandlePanelScroll(toolkit::Window& panel, const toolkit::Event& event);
// A copy of a wheel event whose three vertical deltas (lines, 16.16 fixed-point lines, points) are negated
// exactly; every other field stays. nullopt for another kind of event, or without a low-level event to copy.
std::optional<toolkit::Event> QDLReversedScrollEvent(const toolkit::Event& event);
