#pragma once
// Joins the per-drawing PDFs of a queue run into one PDF, page by page in order, each page upright at its own
// size. Every input is verified against its page count before anything is written; the result is written to a
// work file beside the destination, verified, moved into place (never over an existing file) and verified
// again. Failures leave no work file and no partial destination. Main thread.

#include <functional>
#include <string>
#include <vector>

// False with `error` (when given; cleared on entry) in English. `shouldStop` is asked before each input's check
// and each page, and before the result is moved; `progress` hears of each page written. Either may be empty.
bool QDLQueueMergePdfs(const std::vector<std::string>& inputs, const std::vector<long>& pageCounts,
                       const std::string& destination, std::string* error, const std::function<bool()>& shouldStop,
                       const std::function<void(unsigned long done, unsigned long total)>& progress);
