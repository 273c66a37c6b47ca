#include "pdf/normalization.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/work_file.h"
#include "graphics/pdf_document.h"
#include "graphics/pdf_writer.h"
#include "pdf/output_verification.h"

namespace quodl {

namespace {

constexpr double kPointsPerMm = 2.834645669291339;  // 72 / 25.4

// What one page of the plotted file becomes.
struct PageWork {
  graphics::PdfPage page;
  graphics::PdfRect native;  // (0, 0) and the media box's upright size
  graphics::PdfRect pageRect;
  PdfPlacement placement;
  bool changed = false;
};

bool fail(std::string* error, const std::string& reason) {
  if (error) *error = reason;
  return false;
}

std::string paperMismatch(std::size_t pageNumber) {
  char text[256];
  std::snprintf(text, sizeof text, "第 %zu 页的原生 PDF 纸张与已验证打印设置不一致，已保留原始 PDF，请提交诊断记录。",
                pageNumber);
  return text;
}

PdfRect millimetresToPoints(const PdfRect& r) {
  return {r.x * kPointsPerMm, r.y * kPointsPerMm, r.width * kPointsPerMm, r.height * kPointsPerMm};
}

bool unchanged(const graphics::PdfRect& page, const graphics::PdfRect& native, const PdfPlacement& p) {
  return std::fabs(page.width - native.width) <= 0.01 && std::fabs(page.height - native.height) <= 0.01 &&
         std::fabs(p.scale - 1) <= 0.000001 && std::fabs(p.translateX) <= 0.01 && std::fabs(p.translateY) <= 0.01;
}

// Measures page `number` against its target. False with the reason when the page cannot be placed.
bool measure(PageWork& work, const PdfPageTarget& target, std::size_t number, std::string* error) {
  const graphics::PdfRect box = work.page.boxRect(graphics::PdfBox::media);
  const int angle = (work.page.rotationAngle() % 360 + 360) % 360;
  const bool quarter = angle == 90 || angle == 270;
  work.native = {0, 0, quarter ? box.height : box.width, quarter ? box.width : box.height};
  work.pageRect = work.native;
  const double nativeWidth = work.native.width, nativeHeight = work.native.height;

  if (target.placeWindow) {
    const PdfRect window = pdfWindow(target.window, nativeWidth / kPointsPerMm, nativeHeight / kPointsPerMm);
    if (!window.valid()) return fail(error, paperMismatch(number));
    work.pageRect = {0, 0, target.paperWidth * kPointsPerMm, target.paperHeight * kPointsPerMm};
    work.placement =
        placeWindow(millimetresToPoints(window), work.pageRect.width, work.pageRect.height, target.contentScalePercent);
  } else if (target.contentScalePercent < 100) {
    // A whole layout at a reduced scale: its whole page, shrunk about the centre of the host's page.
    work.placement =
        placeWindow({0, 0, nativeWidth, nativeHeight}, nativeWidth, nativeHeight, target.contentScalePercent);
  } else {
    return true;
  }
  if (!work.placement.valid()) return fail(error, "Invalid PDF paper or plot-window dimensions");
  work.changed = !unchanged(work.pageRect, work.native, work.placement);
  return true;
}

void drawPage(graphics::PdfWriter& writer, const PageWork& work) {
  writer.beginPage(work.pageRect);
  writer.saveGState();
  writer.clipToRect(work.pageRect);
  if (work.changed) {
    const PdfPlacement& p = work.placement;
    writer.clipToRect({p.target.x, p.target.y, p.target.width, p.target.height});
    writer.concatCTM({p.scale, 0, 0, p.scale, p.translateX, p.translateY});
  }
  // Shows a turned page upright at its own size.
  writer.concatCTM(work.page.drawingTransform(graphics::PdfBox::media, work.native, 0, false));
  writer.drawPage(work.page);
  writer.restoreGState();
  writer.endPage();
}

}  // namespace

bool normalizePdf(const std::string& path, const std::vector<PdfPageTarget>& targets, std::string* error,
                  const std::string& finalPath) {
  if (error) error->clear();
  // The rewrite replaces the file at `path` itself: only a regular file, never what a link points at.
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return fail(error, "Cannot reopen native PDF");
  std::vector<PageWork> pages;
  {
    const std::unique_ptr<graphics::PdfDocument> document = graphics::PdfDocument::open(path);
    if (!document) return fail(error, "Cannot reopen native PDF");
    if (document->pageCount() != targets.size()) {
      return fail(error, "Generated PDF page count does not match the staged job");
    }
    pages.reserve(targets.size());
    for (std::size_t number = 1; number <= targets.size(); ++number) {
      std::optional<graphics::PdfPage> page = document->page(number);
      if (!page) return fail(error, "Cannot reopen native PDF");
      pages.push_back({*page, {}, {}, {}, false});
      if (!measure(pages.back(), targets[number - 1], number, error)) return false;
    }
  }
  const std::size_t count = pages.size();
  bool anyChanged = false;
  for (const PageWork& work : pages) anyChanged = anyChanged || work.changed;
  if (!anyChanged) {
    pages.clear();
    // Reopened strictly above with every page found, and left as it was.
    return finalizeReopenedPdfOutput(path, count, error, finalPath);
  }

  // The writer puts its whole file in the plot's place in one rename, the plot staying as it was until then:
  // the plot's own file is already private, so no second work file is needed.
  std::unique_ptr<graphics::PdfWriter> writer = graphics::PdfWriter::create(path);
  if (!writer) return fail(error, "Cannot create exact-size PDF replacement");
  for (const PageWork& page : pages) drawPage(*writer, page);
  // A writer that fails leaves no file behind.
  std::string reason;
  const bool written = writer->close(&reason);
  writer.reset();
  pages.clear();
  if (!written) {
    const std::string shown = finalPath.empty() ? path : finalPath;
    return fail(error, "Cannot create exact-size PDF replacement" +
                           (reason.empty() ? "" : ": " + foundation::namingOutput(reason, path, shown)));
  }
  return finalizePdfOutput(path, count, error, finalPath);
}

}  // namespace quodl
