#include "plot/paper_size_normalization.h"

#include "core/host_bridge.h"
#include "pdf/normalization.h"
#include "plot/last_result.h"

std::vector<quodl::PdfPageTarget> vexBatchPdfPageTargets(const std::vector<VexBatchPrintPageSpec>& pageSpecs,
                                                         const std::vector<VexBatchPrintPreparedPage>& preparedPages) {
  std::vector<quodl::PdfPageTarget> targets;
  targets.reserve(pageSpecs.size());
  for (std::size_t i = 0; i < pageSpecs.size(); ++i) {
    const VexBatchPrintPageSpec& spec = pageSpecs[i];
    const bool landscape = (spec.maxX - spec.minX) >= (spec.maxY - spec.minY);
    quodl::PdfPageTarget target;
    target.paperWidth = landscape ? spec.paper.longSide : spec.paper.shortSide;
    target.paperHeight = landscape ? spec.paper.shortSide : spec.paper.longSide;
    target.contentScalePercent = spec.contentScalePercent;
    target.placeWindow = spec.layoutWindow || spec.source == VexBatchPrintSourceModel;
    // A missing prepared page leaves the window empty, which normalisation refuses for a window page.
    if (i < preparedPages.size()) target.window = preparedPages[i].window;
    targets.push_back(target);
  }
  return targets;
}

bool vexBatchNormalizePdfPaperSizes(const std::wstring& path, const std::vector<VexBatchPrintPageSpec>& pageSpecs,
                                    const std::vector<VexBatchPrintPreparedPage>& preparedPages,
                                    const std::string& finalPath) {
  std::string error;
  if (quodl::normalizePdf(vexBatchNSString(path), vexBatchPdfPageTargets(pageSpecs, preparedPages), &error,
                          finalPath)) {
    return true;
  }
  gBatchPrintLastError = error.empty() ? L"PDF normalization failed" : vexBatchWideString(error);
  return false;
}
