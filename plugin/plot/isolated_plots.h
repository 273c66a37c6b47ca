#pragma once
// Pages that one publish-engine document cannot carry together (different papers or layouts) are plotted one
// by one into a private folder and then joined into the target, each page keeping its own size. Main thread,
// inside a host command.

#include <string>
#include <vector>

#include "recognition/page_spec.h"

// Plots every page on its own through the plot run, with one progress window for all, and merges the
// one-page PDFs into `target`. True when the output holds one page per page spec, in order;
// gBatchPrintLastOutput is then its path (the target, or the next free name when the target was taken; see
// output_commit.h). On false gBatchPrintLastError says why. The folder of the page PDFs is gone in every outcome.
[[nodiscard]] bool vexDuzozAredIsolatedPagesAndMerge(const std::vector<VexBatchPrintPageSpec>& pages,
                                                     const std::wstring& target, const std::wstring& styleSheet);

// Joins one-page PDFs, each drawn upright on a page of its own size, into `target`, put in place as every
// output is (output_commit.h) only once the merged file is complete, then verified; gBatchPrintLastOutput is
// then its path. False with gBatchPrintLastError set (an empty list fails without a text).
[[nodiscard]] bool vexBatchMergeIsolatedPdfPages(const std::vector<std::wstring>& paths, const std::wstring& target);
