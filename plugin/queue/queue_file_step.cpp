// DUZOZAREDFILEEXEC: the per-drawing step of a queue run, in the drawing the advance step has just opened
// read-only. It finds the drawing's sheets by automatic recognition, plots them to PDF as the run's output mode
// says, keeps as outputs only the PDFs that verified (the others leave their delivery names), sets the row and
// schedules the next step. It changes nothing in the drawing and never saves it.
#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cad/doc_manager.h"
#include "cad/plot_state.h"
#include "core/call_trace.h"
#include "core/host_bridge.h"
#include "foundation/files.h"
#include "foundation/format.h"
#include "foundation/paths.h"
#include "foundation/transforms.h"
#include "pdf/output_verification.h"
#include "plot/exception_reason.h"
#include "plot/isolated_plots.h"
#include "plot/last_result.h"
#include "plot/plot_run.h"
#include "plot/plot_style_queries.h"
#include "plot/progress_controller.h"
#include "queue/dwg_discovery.h"
#include "queue/file_queue_commands.h"
#include "queue/file_queue_state.h"
#include "queue/queue_advance.h"
#include "queue/queue_outputs.h"
#include "queue/queue_rows.h"
#include "queue/queue_run.h"
#include "recognition/job_pages.h"
#include "recognition/paper.h"
#include "recognition/recognition_state.h"
#include "recognition/scan_scope.h"
#include "ui/localisation.h"

namespace {

namespace state = qdl_queue_state;

// The drawing in front is still the one the advance step opened, and the host plots nothing else.
bool hostAsPrepared() {
  const QDLQueueRun& run = gFileRun;
  cad::DocManager* manager = cad::acDocManagerPtr();
  return manager != nullptr && run.taskDocument != nullptr && manager->mdiActiveDocument() == run.taskDocument &&
         QDLQueueCanonicalPath(vexBatchNSString(vexBatchCurrentDrawingPath())) == QDLQueueCanonicalPath(run.taskPath) &&
         cad::acplProcessPlotState() == 0;
}

void orderPages(std::vector<VexBatchPrintPageSpec>& pages, std::int64_t order) {
  if (order == 1) {
    std::reverse(pages.begin(), pages.end());
  } else if (order == 2) {
    // As a file browser orders names; equal names keep their recognised order.
    std::stable_sort(pages.begin(), pages.end(), [](const VexBatchPrintPageSpec& a, const VexBatchPrintPageSpec& b) {
      return foundation::naturalLess(vexBatchNSString(a.name), vexBatchNSString(b.name));
    });
  }
}

struct Step {
  std::vector<VexBatchPrintPageSpec> pages;
  std::string folder;
  std::string folderError;
  std::vector<std::string> attempted;  // every PDF the plot pipeline was asked to write, in order
  bool ok = false;
};

// A PDF counts only once it verified; one that did not is no output, whatever the plot said.
bool verified(const std::string& path, std::size_t pages, QDLQueueItem& row) {
  std::string error;
  if (!quodl::finalizePdfOutput(path, pages, &error)) {
    gBatchPrintLastError = vexBatchWideString(error);
    return false;
  }
  row.outputs.push_back(path);
  return true;
}

// Why the drawing's outputs would be hidden in a file browser: its PDF, or in output modes 0 and 2 the folder that
// holds its PDFs, named with a leading dot after the drawing (".x.dwg"). Nullopt when they would not.
std::optional<std::string> hiddenOutputRefusal(const std::string& folder, const std::string& name, std::int64_t mode) {
  if (mode != 1 && name.starts_with(".")) {
    return "PDF folder name starts with a dot and is hidden in Finder: " + folder;
  }
  return quodl::pdfOutputNameRefusal(foundation::appendingPathComponent(folder, name + ".pdf"));
}

// One PDF per sheet, "0001.pdf" on, under one progress window; the first sheet that fails ends the drawing.
void plotSheets(Step& step, QDLQueueItem& row) {
  const QDLQueueRun& run = gFileRun;
  std::shared_ptr<VexBatchPrintProgressController> progress =
      VexBatchPrintProgressController::initWithTotalPages(static_cast<std::int64_t>(step.pages.size()));
  progress->show();
  // Finished with the outcome on every way out, an exception included.
  struct Finish {
    VexBatchPrintProgressController& progress;
    const bool& ok;
    ~Finish() { progress.finishWithSuccess(ok); }
  } finish{*progress, step.ok};
  for (std::size_t i = 0; i < step.pages.size() && step.ok; ++i) {
    if (run.stopRequested) {
      step.ok = false;
      break;
    }
    const std::string path = foundation::appendingPathComponent(step.folder, foundation::format("%04lu.pdf", i + 1));
    step.attempted.push_back(path);
    step.ok = vexDuzozAredDocument({step.pages[i]}, vexBatchWideString(path), run.plotStyle, progress.get(),
                                   static_cast<std::int64_t>(i)) &&
              verified(vexBatchNSString(gBatchPrintLastOutput), 1, row);
    row.completedPages = static_cast<long>(row.outputs.size());
  }
}

// One PDF per drawing, named after it.
void plotDrawing(Step& step, QDLQueueItem& row, const std::string& name) {
  const QDLQueueRun& run = gFileRun;
  const std::string path = foundation::appendingPathComponent(step.folder, name + ".pdf");
  step.attempted.push_back(path);
  step.ok = vexDuzozAredIsolatedPagesAndMerge(step.pages, vexBatchWideString(path), run.plotStyle) &&
            verified(vexBatchNSString(gBatchPrintLastOutput), step.pages.size(), row);
  if (step.ok) row.completedPages = static_cast<long>(step.pages.size());
}

// The drawing's sheets found, ordered, plotted and checked, and the row's state and message set; the user's
// recognition settings are back afterwards, whatever happens.
void recogniseAndPlot(Step& step, QDLQueueItem& row) {
  QDLQueueRun& run = gFileRun;
  const std::string name = run.index < run.folderNames.size() ? run.folderNames[run.index] : std::string("Drawing");
  const QDLScanScope scope;
  gBatchFrameRecognitionMode = static_cast<std::int32_t>(run.recognitionMode);
  gBatchDesignatedFrameLayer = run.frameLayer;
  gBatchDesignatedFrameBlock = run.frameBlock;

  step.pages = vexBatchCollectJobPages(run.modelSpace, false);
  orderPages(step.pages, run.pageOrder);
  for (std::size_t i = 0; i < step.pages.size(); ++i) {
    VexBatchPrintPageSpec& page = step.pages[i];
    page.outputIndex = i + 1;
    page.contentScalePercent = static_cast<double>(run.scalePercent);
    if (run.paperMode > 0) {
      page.paper = vexBatchPaperForMode(static_cast<VexBatchPrintPaperMode>(run.paperMode), 0, 0);
      page.paperOverridden = true;
    }
  }
  step.folder = run.outputMode != 1 ? foundation::appendingPathComponent(run.runFolder, name) : run.runFolder;
  step.ok = !step.pages.empty();

  row.outputs.clear();
  gBatchPrintLastCancelled = false;
  gBatchPrintLastError.clear();
  row.expectedPages = static_cast<long>(step.pages.size());
  row.completedPages = 0;

  // Checked before the drawing's folder is made, so that a refused style leaves no empty folder behind.
  if (step.ok && !run.plotStyle.empty()) {
    const std::string style = vexBatchNSString(run.plotStyle);
    const std::vector<std::string> available = vexBatchAvailablePlotStyles(false);
    if (!vexDuzozAredStyleMatchesCurrentDrawing(run.plotStyle) ||
        std::find(available.begin(), available.end(), style) == available.end()) {
      step.ok = false;
      gBatchPrintLastError =
          vexBatchWideString(foundation::format(QDLT("打印样式“%@”不适用于此 DWG 或不可用，请检查 CTB/STB。"), style));
    }
  }
  // A name the end-of-run verification would refuse is refused now, before a sheet is plotted or a folder made.
  if (step.ok) {
    if (const std::optional<std::string> refusal = hiddenOutputRefusal(step.folder, name, run.outputMode)) {
      step.ok = false;
      gBatchPrintLastError = vexBatchWideString(*refusal);
    }
  }
  if (step.ok && run.outputMode != 1) {
    run.madeFolders.push_back(foundation::WorkItem::emptyFolder(step.folder));
    if (const foundation::FileResult made = foundation::createDirectory(step.folder, false); !made) {
      run.madeFolders.back().release();  // not made by this run
      run.madeFolders.pop_back();
      step.ok = false;
      step.folderError = made.error;
    }
  }
  if (step.ok) {
    if (run.mergePerFile) plotDrawing(step, row, name);
    else plotSheets(step, row);
  }
  if (gBatchPrintLastCancelled) run.stopRequested = true;

  if (step.ok) QDLQueueSetState(row, run.outputMode == 2 ? state::awaitingMerge : state::complete);
  else if (run.stopRequested) QDLQueueSetState(row, state::cancelled);
  else if (row.outputs.empty()) QDLQueueSetState(row, state::failed);
  else QDLQueueSetState(row, state::partial);

  if (step.ok) {
    row.message = foundation::format(QDLT("已输出 %lu 页：%@"), step.pages.size(), step.folder);
  } else if (step.pages.empty()) {
    row.message = QDLT("未找到匹配图框；未改用其他识别规则");
  } else if (!step.folderError.empty()) {
    row.message = step.folderError;
  } else if (!gBatchPrintLastError.empty()) {
    row.message = QDLT(vexBatchNSString(gBatchPrintLastError));
  } else {
    row.message = QDLT("打印停止");
  }
}

}  // namespace

void vexBatchPrintFileExecute() {
  quodlTraceCall("vexBatchPrintFileExecute");
  QDLQueueRun& run = gFileRun;
  // Only the command the advance step sent: typed by the user, or arriving late, it does nothing.
  if (!gBatchFileQueueRunning || !run.execPending || run.executing) return;
  run.execPending = false;
  if (run.stopRequested) {
    vexBatchQueueSchedule();
    return;
  }
  if (run.index < run.effectiveStyles.size()) run.plotStyle = vexBatchWideString(run.effectiveStyles[run.index]);

  QDLQueueItem scratch;  // stands in for a row the panel no longer has
  QDLQueueItem* found = QDLQueueRunRow(run.index);
  QDLQueueItem& row = found != nullptr ? *found : scratch;
  if (!hostAsPrepared()) {
    QDLQueueSetState(row, state::failed);
    row.message = QDLT("文档或打印状态发生变化");
    run.stopRequested = true;
    ++run.index;
    vexBatchQueueSchedule();
    return;
  }

  run.executing = true;
  Step step;
  try {
    recogniseAndPlot(step, row);
  } catch (const std::exception& exception) {
    QDLQueueSetState(row, state::failed);
    row.message = vexBatchExceptionReason(exception, QDLT("打印异常"));
    run.stopRequested = true;
  } catch (...) {
    QDLQueueSetState(row, state::failed);
    row.message = QDLT("打印异常");
    run.stopRequested = true;
  }

  // A PDF written but not verified never stays under its delivery name.
  for (const std::string& path : step.attempted) {
    if (std::find(row.outputs.begin(), row.outputs.end(), path) != row.outputs.end()) continue;
    if (const std::string note = QDLQueueSetAsideUnverified(path); !note.empty()) {
      row.message = QDLQueueJoined(row.message, note);
    }
  }
  if (!row.outputs.empty() && QDLQueueStateIs(row, state::failed)) QDLQueueSetState(row, state::partial);
  const long completed = row.completedPages.value_or(0);
  if (!QDLQueueStateIs(row, state::complete) && completed != 0) {
    row.message =
        foundation::format(QDLT("已输出 %@ / %@ 页；%@"), completed, row.expectedPages.value_or(0), row.message);
  }

  run.executing = false;
  ++run.index;
  vexBatchQueueReport();
  vexBatchQueueSchedule();
}
