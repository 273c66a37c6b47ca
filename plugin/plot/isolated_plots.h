#pragma once
// Pages that one publish-engine document cannot carry together (different papers or layouts) are plotted one
// by one into a private folder and then joined into the target, each page keeping its own size. Main thread,
// inside a host command.

#include <string>
#include <vector>

#include "recognition/page_spec.h"

// Plots every page on its own through the plot run, with one progress window for all, and merges the
// one-page PDFs into `target`. True when the target holds one page per page spec, in order;
// gBatchPrintLastOutput is then the target. On false gBatchPrintLastError says why and ends with the folder
// of the page PDFs, which is kept for diagnosis.
[[nodiscard]] bool vexDuzozAredIsolatedPagesAndMerge(const std::vector<VexBatchPrintPageSpec>& pages,
                                                     const std::wstring& target, const std::wstring& styleSheet);

// Joins one-page PDFs, each drawn upright on a page of its own size, into `target`, which is replaced in one
// step only once the merged file is complete, then verified. False with gBatchPrintLastError set (an empty
// list fails without a text).
[[nodiscard]] bool vexBatchMergeIsolatedPdfPages(const std::vector<std::wstring>& paths, const std::wstring& target);
