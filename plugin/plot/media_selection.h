#pragma once
// Which of the PDF device's media carries a sheet's paper exactly. The host's closest-size search alone picks
// media with margins or of the wrong size, so candidates are tried by name first and each is checked by size.
// Every decision is traced on the host's command line.

#include "cad/error_status.h"
#include "recognition/records.h"

namespace cad {
class PlotSettings;
class PlotSettingsValidator;
}  // namespace cad

// What vexBatchSelectMedia answers when no medium of the device fits the paper.
inline constexpr cad::ErrorStatus kVexBatchNoMediumFits = static_cast<cad::ErrorStatus>(3);

// The settings' medium has the paper's size (either orientation) within 0.1 mm; false for null settings, a
// medium size that cannot be read or is not finite, or a paper without size.
[[nodiscard]] bool vexBatchMediaMatchesPaper(const cad::PlotSettings* settings, const VexBatchPrintPaperSpec& paper);

// Puts a medium of the paper's size into the settings: media named after the paper (those whose borderless
// state is `preferBorderless` first), then the host's closest size, then the exact metric name. eOk, or
// kVexBatchNoMediumFits.
[[nodiscard]] cad::ErrorStatus vexBatchSelectMedia(cad::PlotSettingsValidator* validator, cad::PlotSettings* settings,
                                                   const VexBatchPrintPaperSpec& paper, bool landscape,
                                                   bool preferBorderless);
