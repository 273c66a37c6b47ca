#pragma once
// Pango setup shared by the font measurer and the cairo back end, so that a text measures exactly as wide as it
// draws: same font description, same features, metrics neither hinted nor rounded. Private to graphics.

#include <pango/pangocairo.h>

#include <string_view>

#include "graphics/font.h"
#include "graphics/text_measurer.h"

namespace graphics::pango_text {

// Makes the context lay text out independently of the device's resolution.
void configure(PangoContext* context);
// Sets the layout to one line of the text in the font (ill-formed UTF-8 shows as U+FFFD).
void setText(PangoLayout* layout, std::string_view text, const Font& font);
// A measurer of the fonts of the map, remembering the widths it gives; never destroyed, as Pango's caches live
// as long as the process.
TextMeasurer* newFontMeasurer(PangoFontMap* fonts);

}  // namespace graphics::pango_text
