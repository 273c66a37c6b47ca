#pragma once
// Finding and opening the system's fonts costs a process tens of milliseconds before its first text: fontconfig
// reads its configuration, the fonts are matched and sorted, the font file is opened. A program that will draw
// text has that done on a thread of its own while it does other work; the first text then finds the fonts
// ready. Without it they are found when the first text needs them.

#include <vector>

#include "graphics/font.h"

namespace graphics {

class FontLoading {
 public:
  // Starts finding the fonts, and opening those that draw `fonts`. At most one at a time, before any text.
  explicit FontLoading(std::vector<Font> fonts);
  // Waits for the fonts, if no text has yet.
  ~FontLoading();
  FontLoading(const FontLoading&) = delete;
  FontLoading& operator=(const FontLoading&) = delete;
};

}  // namespace graphics
