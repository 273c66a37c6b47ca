#pragma once
// The six colours of the plug-in's own look. Each call gives a new opaque sRGB colour.

#include "graphics/color.h"

graphics::Color QDLModernSidebar();
graphics::Color QDLModernPale();
graphics::Color QDLModernOutput();
graphics::Color QDLModernSelection();
graphics::Color QDLModernBlue();
graphics::Color QDLModernInk();
