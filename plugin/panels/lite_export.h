#pragma once
// The compact panel's export: the sheets of the current layout or of model space (only those inside the area
// selected for the compact panel, when there is one) plotted into a new folder "Ferrolin-PDF-<UUID>" of the
// output folder, one PDF per sheet or one merged PDF, verified, and opened once the command has returned. The
// starting layout is current again and the work flags are down whatever happens. Main thread, inside the host
// command DUZOZAREDLITEEXEC.

#include <string>
#include <vector>

#include "recognition/page_spec.h"

// True while a compact export runs; false at load. Plain bool, read and written on the main thread only.
extern bool gBatchLitePrinting;

struct [[nodiscard]] VexBatchLiteExportResult {
  enum class Outcome {
    refused,    // a queue run, another export or a host plot was under way: nothing was done
    succeeded,  // every PDF written and verified
    failed,     // stopped or failed; `error` says why (English), and no unverified PDF is left behind
  };
  Outcome outcome = Outcome::refused;
  std::string error;
  std::string jobFolder;             // empty when none was made
  std::vector<std::string> outputs;  // the verified PDFs
};

// Handler of DUZOZAREDLITEEXEC: the whole export.
VexBatchLiteExportResult vexBatchPrintLiteExecute();
// The sheets the export would write, numbered from 1, in the current space (in paper space only the current
// layout), restricted to the selected area when it is active.
std::vector<VexBatchPrintPageSpec> vexBatchCollectLitePages();
// Whether a page lies inside the selected area (always, while none is selected): same space and layout, a
// window rather than a whole layout in paper space, and within 0.5 drawing units of the area on every side.
bool vexBatchLitePageInsideRange(const VexBatchPrintPageSpec& page);

// The export button: queues DUZOZAREDLITEEXEC unless one is already queued, which beeps instead, so that two
// quick presses cannot write two job folders. The command takes the request when it starts.
void vexBatchLiteQueueExport();
bool vexBatchLiteExportQueued();
// Forgets a queued request the host never ran (DUZOZAREDLITE typed again, say).
void vexBatchLiteForgetQueuedExport();
