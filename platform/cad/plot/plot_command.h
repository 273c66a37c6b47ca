#pragma once
// The host's own PLOT command: asks "Output file: " and plots the current layout to that PDF through the
// publish engine, with the layout's own page setup on the PDF device. In model space it plots the drawing's
// extents, scaled to fit, on an A3 sheet turned the way the extents are.

namespace cad {

void plotCommand();

}  // namespace cad
