#pragma once
// The plot run: the one place that drives the host's publish engine. It plots a list of sheets into one PDF,
// shows progress, lets the user cancel between pages and fits the pages to their exact papers. Runs
// synchronously inside a host command on the main thread.

#include <cstdint>
#include <string>
#include <vector>

#include "recognition/page_spec.h"

class VexBatchPrintProgressController;

// Plots `pages` in order into one PDF at `outputPath` (".pdf" appended unless present), with the plot style
// `styleSheet` (empty keeps each layout's own). `progress` is driven and polled when given; without one the
// run shows and finishes its own. `pageOffset` counts the pages earlier calls of the same job wrote.
//
// True when the PDF is in place, normalised and verified: gBatchPrintLastOutput is then its path and
// gBatchPrintLastPageCount grew by the number of pages. On false gBatchPrintLastError says why and
// gBatchPrintLastCancelled is set when the user cancelled. The engine writes beside the output and the result
// replaces the output only once complete, so a failed or cancelled run leaves no partial file under its name.
// A target whose name the verification refuses (a leading dot) is refused before anything is plotted, and
// every message names the output, never a work file.
[[nodiscard]] bool vexDuzozAredDocument(const std::vector<VexBatchPrintPageSpec>& pages, const std::wstring& outputPath,
                                        const std::wstring& styleSheet, VexBatchPrintProgressController* progress,
                                        std::int64_t pageOffset);

// Whether a failure of the plot run left the host's own PDF under the output name: it does so only when the
// native paper disagreed with the validated settings, which the failure text tells the user.
[[nodiscard]] bool vexBatchPlotKeptHostPdf(const std::wstring& error);

// At start-up: removes the work items a killed host left (the plot run's, the merge's and the normalisation's
// files beside outputs, the isolated pages' folders), only those whose process has ended.
void vexBatchRemoveAbandonedWorkFiles();
