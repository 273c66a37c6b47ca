#include "staged_job_lines.h"

#include "foundation/format.h"
#include "foundation/text.h"

std::string stagedJobText(const std::wstring& text) {
  std::string escaped;
  for (const char c : foundation::utf8FromWideLossy(text)) {
    escaped += c == ' ' ? "%20" : c == '%' ? "%25" : std::string(1, c);
  }
  return escaped;
}

std::string stagedJobPageLine(const VexBatchPrintPageSpec& page) {
  return foundation::format(
      "%d|%@|%@|%.17g,%.17g,%.17g,%.17g|%d,%d,%d|%.17g|%lu|%@|%.17g,%.17g", static_cast<int>(page.source),
      stagedJobText(page.layoutName), stagedJobText(page.name), page.minX, page.minY, page.maxX, page.maxY,
      page.layoutWindow ? 1 : 0, page.exactPaperFrame ? 1 : 0, page.paperOverridden ? 1 : 0, page.contentScalePercent,
      page.outputIndex, stagedJobText(page.paper.name), page.paper.shortSide, page.paper.longSide);
}
