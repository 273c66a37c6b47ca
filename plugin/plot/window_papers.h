#pragma once
// The paper a sheet's window is plotted on. A lengthened sheet goes onto a standard carrier sheet whose short
// side is nearest its own; the PDF page is cut to the exact paper afterwards.

#include <span>

#include "recognition/page_spec.h"

// A4 to A0, shorter side first.
[[nodiscard]] std::span<const VexBatchPrintPaperSpec> vexBatchCarrierPapers();

// The paper the page's window is plotted for: with the paper overridden by the user, the paper recognised from
// the window's own size (the PDF page is fitted to the chosen paper later); otherwise the page's paper, or the
// recognised one when the page's paper has no size.
[[nodiscard]] VexBatchPrintPaperSpec vexBatchSourcePaperForWindow(const VexBatchPrintPageSpec& page);

// The paper itself unless its name says it is lengthened ("加长"); then the carrier whose short side is nearest
// (the smaller sheet on a tie).
[[nodiscard]] VexBatchPrintPaperSpec vexBatchCarrierPaperForLayoutWindow(const VexBatchPrintPaperSpec& paper);
