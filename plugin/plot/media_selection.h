#pragma once
// Which of the PDF device's media carries a sheet's paper exactly. The host's closest-size search alone picks
// media with margins or of the wrong size, so candidates are tried by name first and each is checked by size.
// Every decision is traced on the host's command line.

#include "cad/error_status.h"
#include "recognition/records.h"

namespace cad {
class PlotSettings;
class PlotSettingsValidator;
enum class PlotPaperUnits;
}  // namespace cad

// What vexBatchSelectMedia answers when no medium of the device fits the paper.
inline constexpr cad::ErrorStatus kVexBatchNoMediumFits = static_cast<cad::ErrorStatus>(3);

// The settings' medium has the paper's size (either orientation) within 0.1 mm; false for null settings, a
// medium size that cannot be read or is not finite, or a paper without size.
[[nodiscard]] bool vexBatchMediaMatchesPaper(const cad::PlotSettings* settings, const VexBatchPrintPaperSpec& paper);

// The settings' medium is at least width × height (mm, as the medium stands: width along its width).
[[nodiscard]] bool vexBatchMediumHolds(const cad::PlotSettings* settings, double width, double height);

// Puts into the settings the smallest of the device's media that holds width × height (mm) as it stands,
// borderless before natural among equals, so that a sheet plotted 1:1 loses nothing. Media whose names give
// their size in `units` (a metric layout goes on a metric sheet) come first; others only when none of those
// holds it. eOk, or kVexBatchNoMediumFits when every medium is smaller.
[[nodiscard]] cad::ErrorStatus vexBatchSelectMediumHolding(cad::PlotSettingsValidator* validator,
                                                           cad::PlotSettings* settings, double width, double height,
                                                           cad::PlotPaperUnits units);

// Puts a medium of the paper's size into the settings: media named after the paper (those whose borderless
// state is `preferBorderless` first), then the host's closest size, then the exact metric name. eOk, or
// kVexBatchNoMediumFits.
[[nodiscard]] cad::ErrorStatus vexBatchSelectMedia(cad::PlotSettingsValidator* validator, cad::PlotSettings* settings,
                                                   const VexBatchPrintPaperSpec& paper, bool landscape,
                                                   bool preferBorderless);
