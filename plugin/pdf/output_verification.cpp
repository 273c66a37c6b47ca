#include "pdf/output_verification.h"

#include <sys/stat.h>

#include <cerrno>

#include "foundation/files.h"
#include "foundation/paths.h"
#include "graphics/pdf_document.h"

namespace quodl {

namespace {

bool fail(std::string* error, const std::string& reason, const std::string& path) {
  if (error) *error = reason + ": " + path;
  return false;
}

// The system's words for a failed hidden-flag call, or `fallback` when it has none.
std::string describe(const foundation::FileResult& result, const char* fallback) {
  return result.code != 0 ? foundation::errorText(result.code) : std::string(fallback);
}

}  // namespace

bool finalizePdfOutput(const std::string& path, std::uint64_t expectedPageCount, std::string* error) {
  if (error) error->clear();
  if (path.empty() || expectedPageCount == 0) return fail(error, "Invalid PDF output or expected page count", path);

  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 1) {
    return fail(error, "PDF output is missing or empty", path);
  }

  {
    // Strict: a truncated or damaged file is refused, never repaired on the way.
    const std::unique_ptr<graphics::PdfDocument> document = graphics::PdfDocument::open(path);
    if (!document) return fail(error, "Cannot reopen completed PDF", path);
    bool complete = document->pageCount() == expectedPageCount;
    for (std::uint64_t number = 1; complete && number <= expectedPageCount; ++number) {
      complete = document->page(number).has_value();
    }
    if (!complete) return fail(error, "Completed PDF page count does not match the task", path);
  }

  if (foundation::lastPathComponent(path).starts_with(".")) {
    return fail(error, "PDF filename starts with a dot and is hidden in Finder", path);
  }

  // The file system keeps one hidden flag here; it stands for both the file's flag and the browser's view.
  const foundation::HiddenResult hidden = foundation::hiddenFlag(path);
  if (!hidden) return fail(error, describe(hidden, "Cannot check PDF visibility"), path);
  if (hidden.hidden && !foundation::setHiddenFlag(path, false)) {
    return fail(error, "Cannot clear PDF hidden flag", path);
  }

  struct stat again {};
  const foundation::HiddenResult after = foundation::hiddenFlag(path);
  if (::stat(path.c_str(), &again) != 0 || !S_ISREG(again.st_mode) || !after || after.hidden) {
    return fail(error, "Completed PDF is still hidden or unavailable", path);
  }
  return true;
}

bool finalizePdfOutputs(const std::vector<std::string>& paths, const std::vector<std::uint64_t>& expectedPageCounts,
                        std::string* error) {
  if (error) error->clear();
  if (paths.empty() || paths.size() != expectedPageCounts.size()) {
    if (error) *error = "PDF output list does not match the task";
    return false;
  }
  bool allPassed = true;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    std::string reason;
    if (!finalizePdfOutput(paths[i], expectedPageCounts[i], &reason)) {
      if (allPassed && error) *error = reason;
      allPassed = false;
    }
  }
  return allPassed;
}

}  // namespace quodl
