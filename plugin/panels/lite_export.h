#pragma once
// The compact panel's export: the sheets of the current layout or of model space (only those inside the area
// selected for the compact panel, when there is one) plotted into a new folder "Ferrolin-PDF-<UUID>" of the
// output folder, one PDF per sheet or one merged PDF, verified, and opened once the command has returned. The
// starting layout is current again and the work flags are down whatever happens. Main thread, inside the host
// command DUZOZAREDLITEEXEC.

#include <string>
#include <vector>

#include "panels/lite_context.h"
#include "panels/lite_pages.h"
#include "panels/lite_work.h"


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
