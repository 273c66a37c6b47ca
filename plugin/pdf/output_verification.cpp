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

std::optional<std::string> pdfOutputNameRefusal(const std::string& path) {
  if (foundation::lastPathComponent(path).starts_with(".")) {
    return "PDF filename starts with a dot and is hidden in Finder: " + path;
  }
  return std::nullopt;
}

namespace {

bool finalize(const std::string& path, std::uint64_t expectedPageCount, std::string* error,
              const std::string& finalPath, bool pagesVerified) {
  if (error) error->clear();
  const std::string& shown = finalPath.empty() ? path : finalPath;
  const auto fail = [error, &shown](const std::string& reason) { return quodl::fail(error, reason, shown); };
  if (path.empty() || expectedPageCount == 0) return fail("Invalid PDF output or expected page count");
  if (const std::optional<std::string> refusal = pdfOutputNameRefusal(shown)) {
    if (error) *error = *refusal;
    return false;
  }

  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 1) {
    return fail("PDF output is missing or empty");
  }

  if (!pagesVerified) {
    // Strict: a truncated or damaged file is refused, never repaired on the way.
    const std::unique_ptr<graphics::PdfDocument> document = graphics::PdfDocument::open(path);
    if (!document) return fail("Cannot reopen completed PDF");
    bool complete = document->pageCount() == expectedPageCount;
    for (std::uint64_t number = 1; complete && number <= expectedPageCount; ++number) {
      complete = document->page(number).has_value();
    }
    if (!complete) return fail("Completed PDF page count does not match the task");
  }

  // The file system keeps one hidden flag here; it stands for both the file's flag and the browser's view.
  const foundation::HiddenResult hidden = foundation::hiddenFlag(path);
  if (!hidden) return fail(describe(hidden, "Cannot check PDF visibility"));
  if (hidden.hidden && !foundation::setHiddenFlag(path, false)) {
    return fail("Cannot clear PDF hidden flag");
  }

  struct stat again {};
  const foundation::HiddenResult after = foundation::hiddenFlag(path);
  if (::stat(path.c_str(), &again) != 0 || !S_ISREG(again.st_mode) || !after || after.hidden) {
    return fail("Completed PDF is still hidden or unavailable");
  }
  return true;
}

}  // namespace

bool finalizePdfOutput(const std::string& path, std::uint64_t expectedPageCount, std::string* error,
                       const std::string& finalPath) {
  return finalize(path, expectedPageCount, error, finalPath, false);
}

bool finalizeReopenedPdfOutput(const std::string& path, std::uint64_t expectedPageCount, std::string* error,
                               const std::string& finalPath) {
  return finalize(path, expectedPageCount, error, finalPath, true);
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
