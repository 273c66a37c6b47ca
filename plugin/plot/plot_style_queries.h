#pragma once
// Which plot-style tables the drawing that is open can plot with. Every answer is read from the host at the
// moment of the call, on the main thread; nothing is cached.

#include <string>
#include <vector>

// True when a drawing is open and its PSTYLEMODE reads 0 (named plot styles); false also when it cannot be read.
[[nodiscard]] bool vexBatchUsesNamedPlotStyles();
// ".stb" for a drawing with named plot styles, else ".ctb" (also with no drawing open).
[[nodiscard]] std::wstring vexBatchRequiredPlotStyleSuffix();
// An empty name (the layout's own style) fits every drawing; otherwise the name must end, ignoring case, with
// the suffix the drawing requires.
[[nodiscard]] bool vexDuzozAredStyleMatchesCurrentDrawing(const std::wstring& styleSheet);
// The plot-style file names to offer: those the host lists that the drawing can use (with `allKinds` every
// .ctb and .stb), the usual ones first, the rest sorted ignoring case. Empty with no drawing open.
[[nodiscard]] std::vector<std::string> vexBatchAvailablePlotStyles(bool allKinds);
