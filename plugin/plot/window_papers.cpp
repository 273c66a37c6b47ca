#include "plot/window_papers.h"

#include <array>
#include <cmath>

#include "recognition/paper.h"

std::span<const VexBatchPrintPaperSpec> vexBatchCarrierPapers() {
  static const std::array<VexBatchPrintPaperSpec, 5> kCarriers = {{
      {L"A4", 210, 297},
      {L"A3", 297, 420},
      {L"A2", 420, 594},
      {L"A1", 594, 841},
      {L"A0", 841, 1189},
  }};
  return kCarriers;
}

VexBatchPrintPaperSpec vexBatchSourcePaperForWindow(const VexBatchPrintPageSpec& page) {
  const double width = std::fabs(page.maxX - page.minX);
  const double height = std::fabs(page.maxY - page.minY);
  if (page.paperOverridden && width > 0 && height > 0) {
    return vexBatchPaperForMode(VexBatchPrintPaperModeAutomatic, width, height);
  }
  if (!(page.paper.shortSide > 0) || !(page.paper.longSide > 0)) {
    return vexBatchPaperForMode(VexBatchPrintPaperModeAutomatic, width, height);
  }
  return page.paper;
}

VexBatchPrintPaperSpec vexBatchCarrierPaperForLayoutWindow(const VexBatchPrintPaperSpec& paper) {
  if (paper.name.find(L"加长") == std::wstring::npos) return paper;
  const VexBatchPrintPaperSpec* nearest = nullptr;
  for (const VexBatchPrintPaperSpec& carrier : vexBatchCarrierPapers()) {
    if (nearest == nullptr ||
        std::fabs(carrier.shortSide - paper.shortSide) < std::fabs(nearest->shortSide - paper.shortSide)) {
      nearest = &carrier;
    }
  }
  return *nearest;
}
