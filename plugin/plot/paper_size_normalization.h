#pragma once
// Fitting the pages of a plotted PDF to the exact papers of their sheets, from the page specs and the windows
// their preparation captured.

#include <string>
#include <vector>

#include "plot/prepared_page.h"
#include "recognition/page_spec.h"

// What each page of the PDF must become: its sheet's exact paper in the orientation of its box, its content
// scale, and, for a window page, the window captured on the validated paper.
[[nodiscard]] std::vector<quodl::PdfPageTarget> vexBatchPdfPageTargets(
    const std::vector<VexBatchPrintPageSpec>& pageSpecs, const std::vector<VexBatchPrintPreparedPage>& preparedPages);

// Normalises the PDF at `path` (one page per page spec, prepared pages in the same order), which will be put
// in `finalPath`'s place (named in messages and held to the output names' rules; `path` itself when empty). On
// failure gBatchPrintLastError gives the reason and the result is false.
[[nodiscard]] bool vexBatchNormalizePdfPaperSizes(const std::wstring& path,
                                                  const std::vector<VexBatchPrintPageSpec>& pageSpecs,
                                                  const std::vector<VexBatchPrintPreparedPage>& preparedPages,
                                                  const std::string& finalPath = {});
