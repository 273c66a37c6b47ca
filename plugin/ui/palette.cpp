#include "ui/palette.h"

graphics::Color QDLModernSidebar() { return graphics::Color::srgb(0.20, 0.17, 0.49); }
graphics::Color QDLModernPale() { return graphics::Color::srgb(0.95, 0.96, 0.97); }
graphics::Color QDLModernOutput() { return graphics::Color::srgb(1.0, 0.24, 0.39); }
graphics::Color QDLModernSelection() { return graphics::Color::srgb(1.0, 0.83, 0.08); }
graphics::Color QDLModernBlue() { return graphics::Color::srgb(0.15, 0.43, 0.95); }
graphics::Color QDLModernInk() { return graphics::Color::srgb(0.16, 0.245, 0.32); }
