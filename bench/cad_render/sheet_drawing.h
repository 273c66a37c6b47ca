#pragma once
// Writes an R2000 DXF drawing of many plan sheets in model space, as a large project's drawing has them: A3
// title-block frames at 1:100 in a grid, each with about 2,000 entities of every kind the renderer draws (walls,
// rooms with arcs and wide outlines, columns, doors, ellipses, splines, dashed axes, texts and multiline texts in
// Latin and Chinese, solid hatches, symbols with attributes, dimensions with their blocks).

#include <cstdint>
#include <string>

struct SheetDrawing {
  std::uintmax_t bytes = 0;  // 0 when it could not be written
  int sheets = 0;
  std::size_t entities = 0;  // in model space
  // Model-space window of sheet n, 0-based: x0, y0, x1, y1.
  static void window(int n, double box[4]);
};

SheetDrawing writeSheetDrawing(const std::string& path, int sheets);
