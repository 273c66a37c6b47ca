#include "panels/lite_export.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "cad/plot_state.h"
#include "core/call_trace.h"
#include "core/host_bridge.h"
#include "core/work_active.h"
#include "foundation/files.h"
#include "foundation/format.h"
#include "foundation/main_queue.h"
#include "foundation/paths.h"
#include "foundation/uuid.h"
#include "panels/lite_context.h"
#include "panels/lite_pages.h"
#include "panels/lite_panel.h"
#include "panels/lite_panel_window.h"
#include "panels/lite_plot_style.h"
#include "pdf/output_verification.h"
#include "plot/exception_reason.h"
#include "plot/isolated_plots.h"
#include "plot/last_result.h"
#include "plot/merged_job_checks.h"
#include "plot/output_placement.h"
#include "plot/plot_run.h"
#include "plot/plot_style_queries.h"
#include "plot/plot_style_selection.h"
#include "plot/progress_controller.h"
#include "recognition/job_pages.h"
#include "recognition/paper.h"
#include "recognition/recognition_state.h"
#include "recognition/scan_scope.h"
#include "toolkit/alert.h"
#include "toolkit/beep.h"
#include "toolkit/file_panels.h"
#include "toolkit/menu.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/workspace.h"
#include "ui/localisation.h"

namespace {

using Result = VexBatchLiteExportResult;

Result failed(std::string error) { return {Result::Outcome::failed, std::move(error), {}, {}}; }

// The choice on the panel's pop-up; without a panel (the command typed), the saved one.
std::string chosenPlotStyle() {
  if (gBatchLitePanel) {
    if (toolkit::MenuItem* item = gBatchLitePanel->plotStyleMode()->selectedItem()) {
      if (item->representedObject()) return *item->representedObject();
    }
  }
  return QDLLiteSavedPlotStyle(vexBatchUsesNamedPlotStyles());
}

struct StyleProblem {
  std::string shown;    // in the interface language, for the alert
  std::string english;  // for the command line
};

// A problem with the plot style, or nothing.
std::optional<StyleProblem> plotStyleProblem(bool fixed, const std::string& styleName) {
  if (fixed) {
    const VexBatchLiteStyleProblem problem = vexBatchLiteInstallPlotStyle();
    if (problem == VexBatchLiteStyleProblem::none) return std::nullopt;
    return StyleProblem{vexBatchLiteStyleProblemText(problem), vexBatchLiteStyleProblemText(problem, true)};
  }
  if (styleName.empty()) return std::nullopt;
  const std::vector<std::string> available = vexBatchAvailablePlotStyles(false);
  if (std::find(available.begin(), available.end(), styleName) != available.end()) return std::nullopt;
  constexpr char kEnglish[] = "The selected plot style is unavailable. Choose another style.";
  return StyleProblem{QDLL("所选打印样式不可用，请重新选择。", kEnglish, "所選列印樣式不可用，請重新選擇。"), kEnglish};
}

void showStyleAlert(const std::string& problem) {
  toolkit::Alert alert;
  alert.setMessageText(QDLL("打印样式不可用", "Plot style unavailable", "列印樣式不可用"));
  alert.setInformativeText(problem);
  static_cast<void>(alert.runModal());
}

// The folder the user picks, or empty when cancelled.
std::string askForOutputFolder() {
  toolkit::OpenPanel open;
  open.setCanChooseFiles(false);
  open.setCanChooseDirectories(true);
  open.setCanCreateDirectories(true);
  open.setAllowsMultipleSelection(false);
  if (open.runModal() != toolkit::kModalResponseOK) return {};
  return open.URL();
}

// The drawing's file name without folder and extension; "Drawing" for none. Leading dots would hide the PDFs
// (and fail their verification after the whole plot), so they go too.
std::string baseName() {
  std::string base = foundation::deletingPathExtension(
      foundation::lastPathComponent(vexBatchNSString(vexBatchCurrentDrawingPath())));
  base.erase(0, base.find_first_not_of('.'));
  return base.empty() ? std::string("Drawing") : base;
}

std::string failureStatus() {
  return gBatchPrintLastCancelled
             ? QDLL("输出已取消", "Export cancelled", "輸出已取消")
             : QDLL("输出失败，请检查 CAD 命令行", "Export failed; check the CAD command line", "輸出失敗，請檢查 CAD 命令列");
}

// In every outcome once plotting has begun: the work flags down and the starting layout current again.
class ExportScope {
 public:
  explicit ExportScope(bool fixedStyle) : layout_(vexBatchCurrentLayoutName()) {
    gBatchLiteFixedStyle = fixedStyle;
    gBatchLitePrinting = true;
  }
  ~ExportScope() {
    try {
      if (!layout_.empty()) static_cast<void>(vexBatchActivateLayout(layout_));
    } catch (...) {
      // The flags must come down even when the host refuses the layout by throwing.
    }
    gBatchLitePrinting = false;
    gBatchLiteFixedStyle = false;
  }
  ExportScope(const ExportScope&) = delete;
  ExportScope& operator=(const ExportScope&) = delete;

 private:
  std::wstring layout_;
};

struct Plotted {
  bool ok = false;
  std::vector<std::string> paths;
  std::vector<std::uint64_t> counts;
  std::shared_ptr<VexBatchPrintProgressController> progress;  // one PDF per sheet only
};

void plot(const std::vector<VexBatchPrintPageSpec>& pages, bool merged, const std::string& folder,
          const std::string& base, const std::wstring& style, Plotted& out) {
  if (merged) {
    const std::string target = foundation::appendingPathComponent(folder, base + ".pdf");
    // Pages of one paper on one layout go through one engine document, as the staged executor plots them; the
    // result is the same PDF without plotting each page on its own and joining them afterwards.
    const bool together = !vexBatchMergedJobHasMixedMedia(pages) && !vexBatchMergedJobCrossesLayouts(pages);
    out.ok = together ? vexDuzozAredDocument(pages, vexBatchWideString(target), style, nullptr, 0)
                      : vexDuzozAredIsolatedPagesAndMerge(pages, vexBatchWideString(target), style);
    if (out.ok) {
      out.paths.push_back(vexBatchNSString(gBatchPrintLastOutput));
      out.counts.push_back(pages.size());
    }
    return;
  }
  out.progress = VexBatchPrintProgressController::initWithTotalPages(static_cast<std::int64_t>(pages.size()));
  out.progress->show();
  out.ok = true;
  for (std::size_t i = 0; i < pages.size() && out.ok; ++i) {
    const std::string path = foundation::appendingPathComponent(folder, foundation::format("%@-%04lu.pdf", base, i + 1));
    out.ok = vexDuzozAredDocument({pages[i]}, vexBatchWideString(path), style, out.progress.get(),
                                  static_cast<std::int64_t>(i));
    if (out.ok) {
      out.paths.push_back(vexBatchNSString(gBatchPrintLastOutput));
      out.counts.push_back(1);
    }
  }
}

// After a failure the job folder keeps only the PDFs that passed their checks; anything else there (a page the
// host left unfinished, a work file) goes, and so does the folder when nothing is left in it.
void keepOnlyVerified(const std::string& folder, std::vector<std::string>& paths, std::vector<std::uint64_t>& counts) {
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (quodl::finalizePdfOutput(paths[i], counts[i])) kept.push_back(paths[i]);
  }
  std::error_code error;
  std::vector<std::filesystem::path> strays;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (std::find(kept.begin(), kept.end(), entry.path().string()) == kept.end()) strays.push_back(entry.path());
  }
  for (const std::filesystem::path& stray : strays) static_cast<void>(foundation::removeItem(stray.string()));
  if (kept.empty()) static_cast<void>(foundation::removeItem(folder));
  paths = std::move(kept);
}

// Once the command has returned: checked again, then opened, or shown in the file viewer when it cannot be.
void openResult(const std::vector<std::string>& paths, const std::vector<std::uint64_t>& counts,
                const std::string& url) {
  std::string error;
  if (!quodl::finalizePdfOutputs(paths, counts, &error)) {
    vexBatchPrintLiteShow();
    vexBatchLiteSetStatus(error);
    return;
  }
  toolkit::Workspace& workspace = toolkit::Workspace::shared();
  if (!workspace.openURL(url)) workspace.activateFileViewerSelectingURLs({url});
}

Result exportPages(std::vector<VexBatchPrintPageSpec> pages, bool merged, bool fixed, const std::string& styleName) {
  std::string refusal;
  const std::optional<std::string> root = QDLAbsoluteOutputPath(gBatchLiteOutput, &refusal);
  if (!root) {
    vexBatchPrintLiteShow();
    vexBatchLiteSetStatus(refusal);
    return failed(refusal);
  }
  const std::string folder = foundation::appendingPathComponent(*root, "Ferrolin-PDF-" + foundation::makeUuid());
  if (const foundation::FileResult made = foundation::createDirectory(folder, false); !made) {
    vexBatchPrintLiteShow();
    vexBatchLiteSetStatus(made.error);
    return failed("Cannot create the export folder: " + made.error);
  }

  Plotted plotted;
  std::string error;
  {
    ExportScope scope(fixed);
    vexBatchLiteHide();
    const std::string base = baseName();
    vexBatchPrintRestoreLastResult({});
    try {
      plot(pages, merged, folder, base, vexBatchWideString(styleName), plotted);
    } catch (const std::exception& exception) {
      plotted.ok = false;
      gBatchPrintLastError = vexBatchWideString(vexBatchExceptionReason(exception, "Lite export exception"));
    } catch (...) {
      plotted.ok = false;
      gBatchPrintLastError = L"Lite export exception";
    }
    if (plotted.ok && !quodl::finalizePdfOutputs(plotted.paths, plotted.counts, &error)) {
      plotted.ok = false;
      gBatchPrintLastError = vexBatchWideString(error);
    }
    if (plotted.progress) plotted.progress->finishWithSuccess(plotted.ok);
  }

  if (!plotted.ok) {
    keepOnlyVerified(folder, plotted.paths, plotted.counts);
    gBatchPrintLastSucceeded = false;
    vexBatchPrintLiteShow();
    vexBatchLiteSetStatus(failureStatus());
    if (gBatchPrintLastCancelled) return failed("Export cancelled");
    const std::string reason = vexBatchNSString(gBatchPrintLastError);
    return failed(reason.empty() ? std::string("Lite export failed") : reason);
  }

  gBatchPrintLastSucceeded = true;
  gBatchPrintLastLayoutCount = static_cast<std::int32_t>(pages.size());
  gBatchPrintLastOutputs.clear();
  for (const std::string& path : plotted.paths) gBatchPrintLastOutputs.push_back(vexBatchWideString(path));
  vexBatchLiteSetStatus(QDLL("输出完成", "Export complete", "輸出完成"));
  const std::string url = merged ? plotted.paths.front() : folder;
  foundation::dispatchAsync(
      [paths = plotted.paths, counts = plotted.counts, url] { openResult(paths, counts, url); });
  return {Result::Outcome::succeeded, {}, folder, plotted.paths};
}

}  // namespace

VexBatchLiteExportResult vexBatchPrintLiteExecute() {
  quodlTraceCall("vexBatchPrintLiteExecute");
  if (vexBatchLiteExportQueued()) {
    vexBatchLiteForgetQueuedExport();
    vexBatchLiteRefresh(false);  // the export button again
  }
  if (gBatchLitePrinting || vexBatchPrintWorkActive()) return {};
  if (cad::acplProcessPlotState() != 0) {
    toolkit::beep();
    vexBatchLiteSetStatus(QDLL("CAD 正在打印，请稍后再输出。", "CAD is plotting; export when it has finished.",
                               "CAD 正在列印，請稍後再輸出。"));
    return {};
  }
  const bool merged = QDLLiteWantsMergedOutput(true);
  const std::string choice = chosenPlotStyle();
  const bool fixed = choice == QDLLiteFixedStyleChoice;
  const std::string styleName = fixed ? std::string(QDLLitePlotStyleName) : choice;
  const long paperMode = QDLLiteSavedPaperMode();

  if (const std::optional<StyleProblem> problem = plotStyleProblem(fixed, styleName)) {
    showStyleAlert(problem->shown);
    return failed("Plot style unavailable: " + problem->english);
  }
  if (gBatchLiteOutput.empty()) {
    gBatchLiteOutput = askForOutputFolder();
    if (gBatchLiteOutput.empty()) return failed("No output folder chosen");
  }

  std::vector<VexBatchPrintPageSpec> pages = vexBatchCollectLitePages();
  if (paperMode != 0) {
    for (VexBatchPrintPageSpec& page : pages) {
      page.paper = vexBatchPaperForMode(static_cast<VexBatchPrintPaperMode>(paperMode), page.maxX - page.minX,
                                        page.maxY - page.minY);
      page.paperOverridden = true;
    }
  }
  if (pages.empty()) {
    vexBatchPrintLiteShow();
    vexBatchLiteSetStatus(QDLL("未找到可打印图框", "No printable frames found", "未找到可列印圖框"));
    return failed("No printable frames found");
  }
  return exportPages(std::move(pages), merged, fixed, styleName);
}
