#include "graphics/pdf_merge.h"

#include <utility>

#include "graphics/pdf_document.h"
#include "graphics/pdf_writer.h"

namespace graphics {

bool mergePdfDocuments(const std::vector<std::string>& sources, const std::string& target, std::string* error) {
  std::string reason;
  const auto failed = [&]() {
    if (error) *error = std::move(reason);
    return false;
  };
  if (sources.empty()) {
    reason = "Cannot merge PDFs into \"" + target + "\": no source";
    return failed();
  }
  std::unique_ptr<PdfWriter> writer = PdfWriter::create(target, &reason);
  if (!writer) return failed();
  for (const std::string& path : sources) {
    // The writer keeps what it needs of each document; between its reads the files stay closed, so any
    // number of sources can be joined.
    std::unique_ptr<PdfDocument> document = PdfDocument::open(path, &reason);
    if (!document) return failed();
    for (std::size_t number = 1; number <= document->pageCount(); ++number) {
      const PdfPage page = *document->page(number);
      const PdfRect media = page.boxRect(PdfBox::media);
      const bool turned = quarterTurns(page.rotationAngle()) % 2 == 1;
      const PdfRect upright{0, 0, turned ? media.height : media.width, turned ? media.width : media.height};
      writer->beginPage(upright);
      writer->saveGState();
      writer->concatCTM(page.drawingTransform(PdfBox::media, upright, 0, false));
      writer->drawPage(page);
      writer->restoreGState();
      writer->endPage();
    }
  }
  if (!writer->close(&reason)) return failed();
  if (error) error->clear();
  return true;
}

}  // namespace graphics
