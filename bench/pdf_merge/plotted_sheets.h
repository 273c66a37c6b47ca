#pragma once
// One-page PDFs shaped like a plot device's sheets: A3 in whole points, every other one turned with /Rotate,
// a few thousand deflated line segments and a title in a standard font.

#include <string>
#include <vector>

// The paths of `count` sheets written into `folder`, in order; empty when one could not be written.
std::vector<std::string> writePlottedSheets(const std::string& folder, int count);
