#pragma once
// The registry of symbol images: each symbol is a few shapes in its own box (y down from the top-left corner,
// one unit a point at the symbol's nominal size), filled or stroked in the tint.

#include <string>
#include <string_view>
#include <vector>

#include "graphics/bezier_path.h"
#include "graphics/geometry.h"

namespace graphics {

struct SymbolShape {
  BezierPath path;  // stroked with its own line width, caps and joins unless filled
  bool filled = false;
};

struct SymbolDefinition {
  Size size;
  std::vector<SymbolShape> shapes;
};

// nullptr for a name the registry does not hold.
const SymbolDefinition* findSymbol(std::string_view name);
std::vector<std::string> symbolNames();

}  // namespace graphics
