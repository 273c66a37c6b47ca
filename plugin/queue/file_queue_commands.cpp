// DUZOZAREDFILES, which shows the queue panel, and DUZOZAREDFILESTART, which starts a run over its rows from
// the host's application context; the panel's stop button reaches the run through the cancel handler installed
// here.
#include "queue/file_queue_commands.h"

#include <optional>

#include "cad/doc_manager.h"
#include "cad/plot_state.h"
#include "core/call_trace.h"
#include "core/host_bridge.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/uuid.h"
#include "panels/batch_print_panel_controller.h"
#include "panels/lite_panel.h"
#include "panels/lite_work.h"
#include "plot/output_placement.h"
#include "plot/plot_style_queries.h"
#include "plot/print_jobs.h"
#include "queue/file_queue_panel.h"
#include "queue/file_queue_state.h"
#include "queue/queue_advance.h"
#include "queue/queue_documents.h"
#include "queue/queue_run.h"
#include "toolkit/segmented_control.h"
#include "toolkit/text_field.h"
#include "ui/application_panel.h"
#include "ui/localisation.h"

namespace {

// The panel's stop button during a run: the run stops at its next step; a drawing being plotted stops at the
// plot's next check, or at once through its progress window.
void cancelRun() {
  gFileRun.stopRequested = true;
  if (gBatchFilePanel) gBatchFilePanel->setStatus(QDLT("正在停止；可在打印进度窗口取消当前文件。"));
  if (!gFileRun.executing) vexBatchQueueSchedule();
}

// The start is a session command: with a drawing open it goes through that drawing's command line like every
// other request; with none, there is no command line to type it on, so the host runs it in its application
// context directly, as it runs a session command.
void startRun() {
  cad::DocManager* manager = cad::acDocManagerPtr();
  if (manager != nullptr && manager->mdiActiveDocument() == nullptr &&
      manager->beginExecuteInApplicationContext([](void*) { vexBatchPrintFilesStart(); }, nullptr) == cad::eOk) {
    return;
  }
  static_cast<void>(queueCommand("DUZOZAREDFILESTART"));
}

}  // namespace

void vexBatchPrintFilesShow() {
  quodlTraceCall("vexBatchPrintFilesShow");
  if (gBatchLitePrinting) return;
  if (!gBatchFilePanel) {
    gBatchFilePanel = std::make_shared<QDLFileQueuePanel>();
    // The run starts in the host's application context, never from the window itself.
    gBatchFilePanel->setStartHandler(startRun);
    gBatchFilePanel->setCancelHandler(cancelRun);
  }
  QDLFileQueuePanel& panel = *gBatchFilePanel;
  if (!panel.running() && !panel.discovery()) {
    panel.configureModel(false, 1, 0, 100, "", vexBatchAvailablePlotStyles(true));
  }
  panel.panel()->makeKeyAndOrderFront();
}

void vexBatchPrintFilesStart() {
  quodlTraceCall("vexBatchPrintFilesStart");
  if (!gBatchFilePanel) return;
  QDLFileQueuePanel& panel = *gBatchFilePanel;
  if (gBatchFileQueueRunning || gBatchLitePrinting || panel.discovery() || panel.items().empty() ||
      panel.outputRoot().empty()) {
    return;
  }
  if (cad::acplProcessPlotState() != 0) return;
  if (gBatchPrintPendingJob.active) {
    panel.setStatus(QDLT("请先完成当前未完成打印任务，再开始文件队列。"));
    return;
  }
  std::vector<std::string> paths;
  for (const QDLQueueRow& row : panel.items()) paths.push_back(row->path);
  if (!vexBatchQueueRequireClosedFiles(paths)) return;
  VexBatchPrintPanelController& fullPanel = ensureBatchPrintPanel();

  gFileRun = QDLQueueRun{};
  QDLQueueRun& run = gFileRun;
  cad::DocManager* manager = cad::acDocManagerPtr();
  run.originDocument = manager != nullptr ? manager->mdiActiveDocument() : nullptr;
  run.paths = paths;
  run.folderNames = QDLQueueFolderNames(paths);
  run.modelSpace = panel.sourceMode()->selectedSegment() == 1;
  run.outputMode = panel.outputMode()->indexOfSelectedItem();
  run.mergePerFile = run.outputMode != 0;
  run.paperMode = panel.paperMode()->indexOfSelectedItem();
  const std::optional<std::int64_t> scale = QDLQueueParseScale(panel.scaleField()->stringValue());
  if (!scale) {
    panel.setStatus(QDLT("缩放比例请输入 1–100 的整数。"));
    return;
  }
  run.scalePercent = *scale;
  run.pageOrder = panel.pageOrder()->indexOfSelectedItem();
  const std::string uniformStyle = panel.uniformStyle();
  run.plotStyle = vexBatchWideString(uniformStyle);
  for (const QDLQueueRow& row : panel.items())
    run.effectiveStyles.push_back(QDLQueueEffectiveStyle(*row, uniformStyle));
  run.recognitionMode = 0;
  std::string refusal;
  const std::optional<std::string> root = QDLAbsoluteOutputPath(panel.outputRoot(), &refusal);
  if (!root) {
    panel.setStatus(refusal);
    return;
  }
  run.runFolder =
      foundation::appendingPathComponent(*root, std::string("Ferrolin-Batch-").append(foundation::makeUuid()));
  // Recorded before it is made: a run killed before it wrote anything leaves no empty folder after the next start.
  if (const foundation::FileResult rootMade = foundation::createDirectory(*root, true); !rootMade) {
    panel.setStatus(rootMade.error);
    return;
  }
  run.madeFolders.push_back(foundation::WorkItem::emptyFolder(run.runFolder));
  if (const foundation::FileResult made = foundation::createDirectory(run.runFolder, false); !made) {
    run.madeFolders.clear();
    panel.setStatus(made.error);
    return;
  }

  const std::string pending = QDLT(qdl_queue_state::pending);
  for (const QDLQueueRow& row : panel.items()) {
    row->state = pending;
    row->message = row->path;
    row->outputs.clear();
  }
  gBatchFileQueueRunning = true;
  panel.setBusy(true);
  fullPanel.panel()->orderOut();
  vexBatchLiteHide();
  vexBatchQueueReport();
  vexBatchQueueSchedule();
}
