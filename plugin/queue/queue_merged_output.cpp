#include "queue/queue_merged_output.h"

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "foundation/files.h"
#include "foundation/paths.h"
#include "plot/exception_reason.h"
#include "plot/progress_controller.h"
#include "plot/progress_events.h"
#include "queue/file_queue_panel.h"
#include "queue/queue_outputs.h"
#include "queue/queue_pdf_merge.h"
#include "queue/queue_run.h"
#include "ui/localisation.h"

namespace {

namespace state = qdl_queue_state;

// A drawing's PDF as output mode 2 writes it: in a real folder of its own directly inside the run folder.
bool inDrawingFolder(const std::string& path) {
  return QDLQueueWrittenInRunFolder(path) && foundation::deletingLastPathComponent(path) != gFileRun.runFolder;
}

// The single PDF and its drawing's folder go, and only a folder that is a direct child of the run folder: a
// link planted there is neither followed nor removed through.
void removeSingleOutput(const std::string& path) {
  if (!inDrawingFolder(path)) return;
  static_cast<void>(foundation::removeFile(path));
  static_cast<void>(foundation::removeItem(foundation::deletingLastPathComponent(path)));
}

}  // namespace

void vexBatchQueueFinalizeMergedOutput() {
  QDLQueueRun& run = gFileRun;
  if (run.outputMode != 2 || !gBatchFilePanel) return;
  std::vector<QDLQueueRow>& items = gBatchFilePanel->items();

  bool eligible = !run.stopRequested && items.size() == run.paths.size();
  bool inPlace = true;
  std::vector<std::string> inputs;
  std::vector<long> pageCounts;
  for (const QDLQueueRow& row : items) {
    if (!QDLQueueStateIs(*row, state::awaitingMerge) || row->outputs.size() != 1) eligible = false;
    if (row->outputs.size() != 1) continue;
    inputs.push_back(row->outputs.front());
    pageCounts.push_back(row->completedPages.value_or(0));
    // Each drawing's PDF is read where the run wrote it, never through a link put in its folder's place.
    if (!inDrawingFolder(row->outputs.front())) inPlace = false;
  }
  const std::string destination = QDLQueueCombinedPath();
  run.executing = true;

  bool merged = false;
  std::string error;
  std::shared_ptr<VexBatchPrintProgressController> progress;
  if (!eligible) {
    error = QDLT("部分文件未完成，未生成全部合并 PDF；已完成结果保留在各文件夹。");
  } else if (!inPlace) {
    error = "Merge input changed or cannot be reopened";
  } else {
    long total = 0;
    for (const long count : pageCounts) total += count;
    progress = VexBatchPrintProgressController::initWithTotalPages(total);
    progress->show();
    progress->showStage(QDLT("正在合并 PDF…"));
    const auto shouldStop = [&progress, &run] {
      vexBatchPumpProgressEvents();
      if (progress->cancelled()) run.stopRequested = true;
      return run.stopRequested;
    };
    const auto pages = [&progress](unsigned long done, unsigned long) {
      progress->completePages(static_cast<std::int64_t>(done));
    };
    try {
      merged = QDLQueueMergePdfs(inputs, pageCounts, destination, &error, shouldStop, pages);
    } catch (const std::exception& exception) {
      merged = false;
      error = vexBatchExceptionReason(exception, QDLT("打印异常"));
    } catch (...) {
      merged = false;
      error = QDLT("打印异常");
    }
  }
  if (progress) progress->finishWithSuccess(merged);
  run.executing = false;

  if (!merged) {
    const std::string text = error.empty() ? QDLT("全部合并失败；已完成结果保留在各文件夹。") : error;
    run.runMessage = run.runMessage.empty() ? text : QDLQueueJoined(run.runMessage, text);
  }
  for (const QDLQueueRow& row : items) {
    if (!QDLQueueStateIs(*row, state::awaitingMerge)) continue;
    if (merged) {
      for (const std::string& output : row->outputs) removeSingleOutput(output);
      row->outputs = {destination};
      QDLQueueSetState(*row, state::complete);
      row->message = destination;
    } else {
      QDLQueueSetState(*row, state::partial);
      row->message = QDLQueueJoined(row->message, run.runMessage);
    }
  }
}
