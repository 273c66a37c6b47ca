#pragma once
// Drawing windows: the layout pass, then every visible view from the frame view down, each in its own
// coordinates and clipped to its bounds, standard controls in their plain look and other views as they draw
// themselves.

#include <string>

#include "graphics/context.h"

namespace toolkit {

class Window;

// Draws the window into a context whose user space is the window's, in points, y down from its top-left corner.
void drawWindow(Window& window, graphics::GraphicsContext& context);
// The window as PNG data at `scale` pixels per point; empty when it cannot be made.
std::string windowPNGData(Window& window, double scale = 1);
// Writes the window as a PNG file; the reason when it fails, empty on success.
std::string renderWindowToPNG(Window& window, const std::string& path, double scale = 1);

}  // namespace toolkit
