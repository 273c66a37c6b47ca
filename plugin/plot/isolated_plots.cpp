#include "plot/isolated_plots.h"

#include <cstdio>
#include <memory>

#include "cad/command_line.h"
#include "cad/plot/publish_engine.h"
#include "core/host_bridge.h"
#include "core/interface_text.h"
#include "foundation/files.h"
#include "foundation/folders.h"
#include "foundation/paths.h"
#include "foundation/work_file.h"
#include "graphics/pdf_document.h"
#include "graphics/pdf_writer.h"
#include "pdf/output_verification.h"
#include "pdf/work_file_names.h"
#include "plot/last_result.h"
#include "plot/output_commit.h"
#include "plot/plot_run.h"
#include "plot/progress_controller.h"
#include "plot/queue_link.h"

namespace {

std::wstring orUnknown(const std::string& description) {
  return description.empty() ? L"unknown error" : vexBatchWideString(description);
}

std::string pageFileName(std::size_t number) {
  char name[32];
  std::snprintf(name, sizeof name, "page-%04zu.pdf", number);
  return name;
}

bool mergePages(const std::vector<std::string>& paths, const foundation::WorkFile& work) {
  std::string reason;
  std::unique_ptr<graphics::PdfWriter> writer = graphics::PdfWriter::create(work.path(), &reason);
  if (!writer) {
    gBatchPrintLastError = L"Cannot create isolated-page PDF merge target: " +
                           orUnknown(foundation::namingOutput(reason, work.path(), work.target()));
    return false;
  }
  for (const std::string& path : paths) {
    const std::unique_ptr<graphics::PdfDocument> document = graphics::PdfDocument::open(path);
    const std::optional<graphics::PdfPage> page =
        document && document->pageCount() == 1 ? document->page(1) : std::nullopt;
    if (!page) {
      // An unclosed writer leaves nothing on disk.
      gBatchPrintLastError = L"Cannot reopen isolated plot page for merge";
      return false;
    }
    const graphics::PdfRect media = page->boxRect(graphics::PdfBox::media);
    const int angle = (page->rotationAngle() % 360 + 360) % 360;
    const bool turned = angle == 90 || angle == 270;
    const graphics::PdfRect upright{0, 0, turned ? media.height : media.width, turned ? media.width : media.height};
    writer->beginPage(upright);
    writer->saveGState();
    writer->concatCTM(page->drawingTransform(graphics::PdfBox::media, upright, 0, false));
    writer->drawPage(*page);
    writer->restoreGState();
    writer->endPage();
  }
  std::string error;
  if (!writer->close(&error)) {
    gBatchPrintLastError =
        L"Cannot write isolated-page merged PDF: " + orUnknown(foundation::namingOutput(error, work.path(), work.target()));
    return false;
  }
  return true;
}

}  // namespace

bool vexBatchMergeIsolatedPdfPages(const std::vector<std::wstring>& paths, const std::wstring& target) {
  if (paths.empty()) return false;
  const std::string targetPath = vexBatchNSString(target);
  std::vector<std::string> sources;
  for (const std::wstring& path : paths) sources.push_back(vexBatchNSString(path));

  if (const std::optional<std::string> refusal = quodl::pdfOutputNameRefusal(targetPath)) {
    gBatchPrintLastError = vexBatchWideString(*refusal);
    return false;
  }
  foundation::WorkFile work(targetPath, quodl::kMergeWorkPrefix, quodl::kWorkFileSuffix);
  if (!mergePages(sources, work)) return false;
  std::string committed;
  if (const foundation::FileResult put = vexBatchCommitOutput(work, committed); !put) {
    gBatchPrintLastError = L"Cannot commit isolated-page merged PDF: " + orUnknown(put.error);
    return false;
  }
  std::string error;
  if (!quodl::finalizePdfOutput(committed, sources.size(), &error)) {
    gBatchPrintLastError = vexBatchWideString(error);
    return false;
  }
  gBatchPrintLastOutput = vexBatchWideString(committed);
  return true;
}

bool vexDuzozAredIsolatedPagesAndMerge(const std::vector<VexBatchPrintPageSpec>& pages, const std::wstring& target,
                                       const std::wstring& styleSheet) {
  // Refused before a page is plotted, not after every page has been: a name the verification refuses, and what
  // the merge could never replace.
  if (const std::optional<std::string> refusal = quodl::pdfOutputNameRefusal(vexBatchNSString(target))) {
    gBatchPrintLastError = vexBatchWideString(*refusal);
    return false;
  }
  if (const std::optional<std::string> refusal = cad::plotTargetRefusal(vexBatchNSString(target))) {
    gBatchPrintLastError = vexBatchWideString(*refusal);
    return false;
  }
  const std::string temporary = foundation::temporaryDirectory();
  (void)foundation::createDirectory(temporary, true);
  // Recorded before it exists and gone in every outcome: a later start removes what a killed host left.
  foundation::WorkItem folder(foundation::workItemPath(temporary, quodl::kIsolatedPagesPrefix, ""));
  struct RemoveFolder {
    foundation::WorkItem& folder;
    ~RemoveFolder() { folder.remove(); }
  } removeFolder{folder};
  if (const foundation::FileResult made = foundation::createDirectory(folder.path(), false, 0700); !made) {
    gBatchPrintLastError = L"Cannot create isolated-page plot directory: " + orUnknown(made.error);
    return false;
  }

  const auto n = static_cast<std::int64_t>(pages.size());
  VexBatchPrintOwnProgress window(nullptr, n);
  VexBatchPrintProgressController& progress = window.controller();

  std::vector<std::wstring> plotted;
  for (std::int64_t i = 0; i < n; ++i) {
    const std::wstring path = vexBatchWideString(
        foundation::appendingPathComponent(folder.path(), pageFileName(static_cast<std::size_t>(i) + 1)));
    if (!vexDuzozAredDocument({pages[static_cast<std::size_t>(i)]}, path, styleSheet, &progress, i)) break;
    plotted.push_back(gBatchPrintLastOutput);
  }

  bool success = false;
  if (plotted.size() == pages.size()) {
    progress.showStage(translatedText("正在合并 PDF…"));
    if (progress.cancelled()) {
      gBatchPrintLastCancelled = true;
      gBatchPrintLastError = L"Merge cancelled";
    } else if (plotQueueRunning() && (progress.cancelled() || plotQueueShouldStop())) {
      gBatchPrintLastCancelled = progress.cancelled() || plotQueueShouldStop();
      gBatchPrintLastError = L"Queue stopped before PDF merge";
    } else {
      success = vexBatchMergeIsolatedPdfPages(plotted, target);
    }
  }

  if (success) {
    cad::acutPrintf(L"\nDUZOZAREDMIXEDMEDIA isolated=YES pages=%ld output=%ls", static_cast<long>(n),
                    gBatchPrintLastOutput.c_str());
  }
  window.finishWithSuccess(success);
  return success;
}
