#pragma once
// The last check of every PDF handed to the user: a real, non-empty file that reopens intact with exactly the
// expected pages, and visible in a file browser (a hidden flag the host or the file system left is cleared).
// Nothing is deleted, moved or repaired here; what becomes of a file that fails is the caller's decision.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quodl {

// False with `error` (cleared on entry) set to the reason, ": " and the path. `finalPath` is the name the file
// will have when `path` is a work file (named in the error and held to the name rule); `path` when empty.
bool finalizePdfOutput(const std::string& path, std::uint64_t expectedPageCount, std::string* error = nullptr,
                       const std::string& finalPath = {});
// The same for a file the caller has just reopened as strictly itself, every one of its `expectedPageCount`
// pages found, and not written since: it is not parsed a second time.
bool finalizeReopenedPdfOutput(const std::string& path, std::uint64_t expectedPageCount, std::string* error = nullptr,
                               const std::string& finalPath = {});
// Why no output may have this name (a name starting with a dot is hidden in a file browser), as
// finalizePdfOutput would say it; nullopt when it may. Checked before plotting, so no plot is made for nothing.
std::optional<std::string> pdfOutputNameRefusal(const std::string& path);

// Every file against the count at its index, all of them even after a failure, so that each gets its hidden
// flag cleared; `error` is the first failure's.
bool finalizePdfOutputs(const std::vector<std::string>& paths, const std::vector<std::uint64_t>& expectedPageCounts,
                        std::string* error = nullptr);

}  // namespace quodl
