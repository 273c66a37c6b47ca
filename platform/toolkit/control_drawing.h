#pragma once
// The plain, flat look of the standard controls: enough to check a window's layout in a PNG, not a likeness of
// the platform's controls.

#include <string>

#include "graphics/context.h"
#include "graphics/text_style.h"
#include "toolkit/geometry.h"

namespace toolkit::plain {

graphics::Color accent();
// A rounded plate with a hairline border; accented plates are filled with the accent colour, plain ones are white
// (in the dark appearance a light veil over the window, under the light text of that appearance).
void bezel(graphics::GraphicsContext& context, const Rect& rect, bool highlighted, bool enabled, bool accented,
           double radius = 5);
// One line of text centred vertically in the rectangle (its first line, whatever the height).
void label(graphics::GraphicsContext& context, const std::string& text, const Rect& rect, const graphics::Font& font,
           const graphics::Color& color, graphics::TextAlignment alignment,
           graphics::LineBreakMode mode = graphics::LineBreakMode::truncatingTail);
// A check box (state 1 on, -1 mixed) or a radio button.
void checkMark(graphics::GraphicsContext& context, const Rect& box, long state, bool enabled, bool radio);
// The up-and-down arrows of a pop-up button, or one arrow down for a pull-down.
void popUpArrows(graphics::GraphicsContext& context, const Rect& rect, bool pullsDown, bool enabled);

}  // namespace toolkit::plain
