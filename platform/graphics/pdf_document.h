#pragma once
// A PDF document opened for reading: its pages, their boxes and rotation, with the values a page inherits
// from the page tree. Opening is strict: a damaged file is refused with a reason, never repaired behind the
// caller's back, so a truncated plot cannot pass for a complete one. Opening reads the file's structure and
// every object its pages draw with; compressed content is not inflated to check it, but passed on as it is.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graphics/pdf_geometry.h"

namespace graphics {

enum class PdfBox { media, crop };

// A page of an open document. A page keeps its document's data alive, so it may outlive the PdfDocument.
// Its stream data stays in the file until a PDF showing the page is written; the file must not change
// before then (the writer refuses to write when it has).
class PdfPage {
 public:
  struct Data;

  // 1-based, as in the document.
  std::size_t pageNumber() const;
  // Standardized. The crop box is the page's /CropBox within its media box, or the media box.
  PdfRect boxRect(PdfBox box) const;
  // The page's /Rotate as written (inherited where the page has none): a multiple of 90, possibly negative
  // or beyond 360.
  int rotationAngle() const;
  // graphics::drawingTransform for this page's box and rotation.
  PdfMatrix drawingTransform(PdfBox box, PdfRect rect, int rotate, bool preserveAspectRatio) const;

 private:
  friend class PdfDocument;
  friend class PdfWriter;
  explicit PdfPage(std::shared_ptr<Data> data) : data_(std::move(data)) {}
  std::shared_ptr<Data> data_;
};

class PdfDocument {
 public:
  // Null when the file cannot be read as an intact PDF; `error` (when given) then says why, naming the path.
  // A file that parses only with warnings (an object not where the cross-reference table says, a stream
  // whose length is wrong, a page tree that needs fixing) counts as damaged.
  static std::unique_ptr<PdfDocument> open(const std::string& path, std::string* error = nullptr);

  std::size_t pageCount() const { return pages_.size(); }
  // 1-based; nothing for a number outside 1 … pageCount().
  std::optional<PdfPage> page(std::size_t number) const;

 private:
  explicit PdfDocument(std::vector<PdfPage> pages) : pages_(std::move(pages)) {}
  std::vector<PdfPage> pages_;
};

}  // namespace graphics
