#include "queue/queue_pdf_merge.h"

#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/work_file.h"
#include "graphics/pdf_document.h"
#include "graphics/pdf_writer.h"
#include "pdf/output_verification.h"
#include "pdf/work_file_names.h"

namespace {

class Merge {
 public:
  Merge(std::string* error, const std::function<bool()>& shouldStop) : error_(error), shouldStop_(shouldStop) {}

  bool fail(const std::string& message) {
    if (error_ != nullptr) *error_ = message;
    return false;
  }
  bool stopped() { return shouldStop_ && shouldStop_(); }

 private:
  std::string* error_;
  const std::function<bool()>& shouldStop_;
};

// A page's box turned as the page shows it.
graphics::PdfRect uprightBox(const graphics::PdfPage& page) {
  const graphics::PdfRect media = page.boxRect(graphics::PdfBox::media);
  const int turn = ((page.rotationAngle() % 360) + 360) % 360;
  if (turn == 90 || turn == 270) return {0, 0, media.height, media.width};
  return {0, 0, media.width, media.height};
}

}  // namespace

bool QDLQueueMergePdfs(const std::vector<std::string>& inputs, const std::vector<long>& pageCounts,
                       const std::string& destination, std::string* error, const std::function<bool()>& shouldStop,
                       const std::function<void(unsigned long done, unsigned long total)>& progress) {
  if (error != nullptr) error->clear();
  Merge merge(error, shouldStop);
  if (inputs.empty() || inputs.size() != pageCounts.size()) return merge.fail("Invalid merge inputs");

  unsigned long total = 0;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (merge.stopped()) return merge.fail("Merge cancelled");
    std::string message;
    const std::uint64_t expected = pageCounts[i] < 0 ? 0 : static_cast<std::uint64_t>(pageCounts[i]);
    if (!quodl::finalizePdfOutput(inputs[i], expected, &message)) return merge.fail(message);
    total += static_cast<unsigned long>(expected);
  }
  if (foundation::itemExists(destination)) return merge.fail("Merge destination already exists");

  // Recorded as the process's work item, so that what a killed host left is removed at the next start; gone
  // whatever happens below, unless it has become the destination.
  foundation::WorkItem workItem(foundation::workItemPath(foundation::deletingLastPathComponent(destination),
                                                         quodl::kMergeWorkPrefix, quodl::kWorkFileSuffix));
  struct Discard {
    foundation::WorkItem& item;
    ~Discard() { item.remove(); }
  } discard{workItem};
  const std::string& work = workItem.path();

  std::unique_ptr<graphics::PdfWriter> writer = graphics::PdfWriter::create(work);
  if (!writer) return merge.fail("Cannot create merged PDF");
  unsigned long done = 0;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const std::unique_ptr<graphics::PdfDocument> document = graphics::PdfDocument::open(inputs[i]);
    if (!document || static_cast<long>(document->pageCount()) != pageCounts[i]) {
      return merge.fail("Merge input changed or cannot be reopened");
    }
    for (long p = 1; p <= pageCounts[i]; ++p) {
      if (merge.stopped()) return merge.fail("Merge cancelled");
      const std::optional<graphics::PdfPage> page = document->page(static_cast<std::size_t>(p));
      if (!page) return merge.fail("Cannot read merge page");
      const graphics::PdfRect box = uprightBox(*page);
      writer->beginPage(box);
      writer->saveGState();
      writer->concatCTM(page->drawingTransform(graphics::PdfBox::media, box, 0, false));
      writer->drawPage(*page);
      writer->restoreGState();
      writer->endPage();
      ++done;
      if (progress) progress(done, total);
    }
  }
  if (merge.stopped()) return merge.fail("Merge cancelled");
  std::string message;
  if (!writer->close(&message)) return merge.fail("Cannot create merged PDF");
  if (!quodl::finalizePdfOutput(work, total, &message)) return merge.fail(message);
  if (merge.stopped()) return merge.fail("Merge cancelled");
  if (const foundation::FileResult moved = foundation::moveItem(work, destination); !moved) {
    return merge.fail(moved.error);
  }
  if (!quodl::finalizePdfOutput(destination, total, &message)) {
    static_cast<void>(foundation::removeFile(destination));
    return merge.fail(message);
  }
  return true;
}
