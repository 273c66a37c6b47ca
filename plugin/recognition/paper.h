#pragma once
// The paper of a sheet: by the user's choice, by recognising an ISO A-size (also lengthened), or an ISO sheet
// drawn at a drawing scale in model space. Sizes in millimetres (drawing units for model-space frames),
// width and height in either order.

#include "recognition/records.h"

// The longest side a sheet may have, in millimetres (A0 is 1189 long; room is left for lengthened sheets).
inline constexpr double kVexBatchSheetSideLimit = 2000.0;

// Both sides longer than one unit and no longer than the sheet limit; false when either is not a number.
[[nodiscard]] inline bool vexBatchSidesWithinSheetLimit(double w, double h) {
  return w > 1 && w <= kVexBatchSheetSideLimit && h > 1 && h <= kVexBatchSheetSideLimit;
}

// Mode 0: the nearest ISO size within a relative error of 0.18, else A3. Modes 1..5 give A4..A0, clamped.
[[nodiscard]] VexBatchPrintPaperSpec vexBatchPaperForMode(VexBatchPrintPaperMode mode, double width, double height);

// True for an ISO A4..A0 size within 0.04, or a lengthened sheet ("A3加长" with the measured sides).
// On false `paper` holds the automatic paper, or is untouched for a size out of range.
[[nodiscard]] bool vexBatchRecognizeIsoPaperFrame(double width, double height, VexBatchPrintPaperSpec& paper);

// True for an ISO sheet unscaled or at one of the drawing scales; `paper` is then the unscaled sheet.
[[nodiscard]] bool vexBatchRecognizeScaledIsoModelFrame(double width, double height, VexBatchPrintPaperSpec& paper);

// The paper that vexBatchRecognizeIsoPaperFrame recognises, else the automatic paper.
[[nodiscard]] VexBatchPrintPaperSpec vexBatchIsoOrAutomaticPaper(double width, double height);
// The paper that vexBatchRecognizeScaledIsoModelFrame recognises, else the automatic paper.
[[nodiscard]] VexBatchPrintPaperSpec vexBatchScaledIsoOrAutomaticPaper(double width, double height);
