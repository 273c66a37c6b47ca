#pragma once
// Putting the chosen plot-style table into a page's plot settings, and making sure that the settings the host
// validated still carry it: the host may drop or re-spell a table, or switch plot styles off, while it
// validates. Failures write their English text into gBatchPrintLastError.

#include <memory>
#include <string>

namespace cad {
class PlotInfo;
class PlotSettings;
class PlotSettingsValidator;
}  // namespace cad

// True while the compact export plots with its shipped monochrome table: both checks then also require
// lineweights to be printed and not scaled. Set by the compact panel around its export.
extern bool gBatchLiteFixedStyle;

// Applies the table (an empty name keeps the layout's own) with plot styles, their display and lineweights on,
// and reads it back.
[[nodiscard]] bool vexBatchApplyPlotStyle(cad::PlotSettingsValidator* validator, cad::PlotSettings* settings,
                                          const std::wstring& styleName);

// After validation: the validated settings must carry the table exactly, with plot styles and lineweights on.
// When they do not, they are rebuilt from themselves (or from the override settings) with the table applied
// and committed to the plot info; the rebuilt settings go into `repairedSlot`, which the caller keeps alive as
// long as the plot info.
[[nodiscard]] bool vexBatchFinalizeValidatedPlotStyle(cad::PlotInfo* plotInfo, cad::PlotSettingsValidator* validator,
                                                      const cad::PlotSettings* overrideSettings,
                                                      const std::wstring& styleName, const std::wstring& pageName,
                                                      std::unique_ptr<cad::PlotSettings>& repairedSlot);
