#include "queue/queue_advance.h"

#include <map>
#include <vector>

#include "cad/doc_manager.h"
#include "core/host_bridge.h"
#include "foundation/files.h"
#include "foundation/format.h"
#include "foundation/main_queue.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "panels/lite_panel.h"
#include "pdf/output_verification.h"
#include "queue/dwg_discovery.h"
#include "queue/file_queue_panel.h"
#include "queue/file_queue_state.h"
#include "queue/queue_documents.h"
#include "queue/queue_merged_output.h"
#include "queue/queue_outputs.h"
#include "queue/queue_run.h"
#include "toolkit/workspace.h"
#include "ui/application_panel.h"
#include "ui/compact_label.h"
#include "ui/localisation.h"

namespace {

namespace state = qdl_queue_state;

// The per-drawing command, as the host reads it typed: the global name and the blank that enters it.
constexpr wchar_t kFileExecCommand[] = L"_DUZOZAREDFILEEXEC ";

void showStatus(const std::string& text) {
  if (gBatchFilePanel) gBatchFilePanel->setStatus(text);
}

void setRow(QDLQueueItem* row, const char* stateKey, const std::string& message) {
  if (row == nullptr) return;
  QDLQueueSetState(*row, stateKey);
  row->message = message;
}

// The drawing the run opened for the previous path goes, and only that one: a drawing that no longer is that
// file stays open, and stops the run as one the host will not close does.
void closeTaskDocument() {
  QDLQueueRun& run = gFileRun;
  if (run.taskDocument != nullptr && vexBatchFindOpenFile({}, run.taskDocument) != nullptr) {
    cad::DocManager* manager = cad::acDocManagerPtr();
    const bool same =
        QDLQueueCanonicalPath(vexBatchNSString(run.taskDocument->fileName())) == QDLQueueCanonicalPath(run.taskPath);
    if (!same || manager == nullptr || manager->appContextCloseDocument(run.taskDocument) != cad::eOk) {
      run.stopRequested = true;
      run.runMessage = QDLT("只读任务文档未能关闭；队列停止，请检查 CAD。");
    }
  }
  run.taskDocument = nullptr;
  run.taskPath.clear();
}

// The drawing of the row at hand is open read-only: it gets the per-drawing command, which goes on with the run.
void sendToOpened(cad::Document* document, const std::string& path, QDLQueueItem* row) {
  QDLQueueRun& run = gFileRun;
  run.taskDocument = document;
  run.taskPath = path;
  if (run.stopRequested) {
    vexBatchQueueSchedule();
    return;
  }
  if (!document->isReadOnly()) {
    setRow(row, state::failed, QDLT("CAD 未以只读方式打开，任务未打印。"));
    ++run.index;
    run.stopRequested = true;
    vexBatchQueueSchedule();
    return;
  }
  setRow(row, state::printing, QDLT("只读打开，重新识别图框"));
  showStatus(foundation::format(QDLT("正在处理 %lu / %lu：%@"), run.index + 1, run.paths.size(),
                                foundation::lastPathComponent(path)));
  vexBatchQueueReport();
  if (run.stopRequested) {
    vexBatchQueueSchedule();
    return;
  }
  run.execPending = true;
  cad::DocManager* manager = cad::acDocManagerPtr();
  if (manager == nullptr || manager->sendStringToExecute(document, kFileExecCommand, true, false, false) != cad::eOk) {
    setRow(row, state::failed, QDLT("不能进入文档打印命令"));
    ++run.index;
    run.stopRequested = true;
    vexBatchQueueSchedule();
  }
}

void openRunFolderLater(const std::string& folder) {
  foundation::dispatchAsync([folder] {
    if (!foundation::isDirectory(folder)) return;
    toolkit::Workspace& workspace = toolkit::Workspace::shared();
    if (!workspace.openURL(folder)) workspace.activateFileViewerSelectingURLs({folder});
  });
}

void endRun() {
  QDLQueueRun& run = gFileRun;
  if (gBatchFilePanel) {
    std::vector<QDLQueueRow>& items = gBatchFilePanel->items();
    for (std::size_t i = run.index; i < items.size(); ++i) {
      const bool first = i == run.index && !run.runMessage.empty();
      setRow(items[i].get(), state::notRun, first ? run.runMessage : QDLT("队列已停止"));
    }
  }
  if (run.originDocument != nullptr && vexBatchFindOpenFile({}, run.originDocument) != nullptr) {
    if (cad::DocManager* manager = cad::acDocManagerPtr()) {
      static_cast<void>(manager->activateDocument(run.originDocument, false));
    }
  }
  vexBatchQueueVerifyCompletedOutputs();
  vexBatchQueueFinalizeMergedOutput();
  if (run.outputMode == 2) vexBatchQueueVerifyCompletedOutputs();

  // What no drawing wrote into goes, the drawings' folders before the run's.
  for (auto folder = run.madeFolders.rbegin(); folder != run.madeFolders.rend(); ++folder) folder->remove();
  run.madeFolders.clear();

  vexBatchQueueReport();
  gBatchFileQueueRunning = false;
  if (!gBatchFilePanel) return;
  QDLFileQueuePanel& panel = *gBatchFilePanel;
  panel.setBusy(false);
  vexBatchQueueReport();

  unsigned long complete = 0, partial = 0, failed = 0, skipped = 0, unfinished = 0;
  for (const QDLQueueRow& row : panel.items()) {
    if (QDLQueueStateIs(*row, state::complete)) ++complete;
    else if (QDLQueueStateIs(*row, state::partial)) ++partial;
    else if (QDLQueueStateIs(*row, state::failed)) ++failed;
    else if (QDLQueueStateIs(*row, state::skipped)) ++skipped;
    else ++unfinished;
  }
  panel.setStatus(!run.runMessage.empty()
                      ? run.runMessage
                      : foundation::format(QDLT("完成 %lu · 部分 %lu · 失败 %lu · 跳过 %lu · 未完成 %lu"), complete,
                                           partial, failed, skipped, unfinished));
  panel.status()->setToolTip(run.runFolder);
  panel.setLastOutputRoot(run.runFolder);
  panel.panel()->makeKeyAndOrderFront();
  vexBatchLiteRefresh(true);
  openRunFolderLater(run.runFolder);
}

}  // namespace

QDLQueueItem* QDLQueueRunRow(std::uint64_t index) {
  if (!gBatchFilePanel || index >= gBatchFilePanel->items().size()) return nullptr;
  return gBatchFilePanel->items()[index].get();
}

void vexBatchQueueReport() {
  if (gBatchFilePanel) gBatchFilePanel->refresh();
}

void vexBatchQueueSchedule() {
  QDLQueueRun& run = gFileRun;
  if (run.advanceScheduled) return;
  run.advanceScheduled = true;
  cad::DocManager* manager = cad::acDocManagerPtr();
  if (manager != nullptr && manager->beginExecuteInApplicationContext(vexBatchQueueAdvance, nullptr) == cad::eOk) {
    return;
  }
  run.advanceScheduled = false;
  run.stopRequested = true;
  run.runMessage = QDLT("无法继续队列，请停止队列；未自动关闭文档。");
  showStatus(run.runMessage);
  // With no drawing of the run open and nothing plotting, no step is needed to end the run; waiting for one
  // the host keeps refusing would leave the run, and every panel and the unload, blocked for good.
  const bool taskOpen = run.taskDocument != nullptr && vexBatchFindOpenFile({}, run.taskDocument) != nullptr;
  if (gBatchFileQueueRunning && !run.executing && !taskOpen) {
    run.taskDocument = nullptr;
    run.taskPath.clear();
    endRun();
  }
}

void vexBatchQueueAdvance(void*) {
  QDLQueueRun& run = gFileRun;
  run.advanceScheduled = false;
  if (!gBatchFileQueueRunning || run.executing) return;
  run.execPending = false;
  closeTaskDocument();

  cad::DocManager* manager = cad::acDocManagerPtr();
  while (!run.stopRequested && run.index < run.paths.size()) {
    const std::string path = run.paths[run.index];
    QDLQueueItem* row = QDLQueueRunRow(run.index);
    if (vexBatchFindOpenFile(path, nullptr) != nullptr) {
      const std::string message = QDLT("图纸正在 CAD 中打开，请保存并关闭后重试。");
      setRow(row, state::notRun, message);
      run.stopRequested = true;
      run.runMessage = message;
      vexBatchQueueReport();
      static_cast<void>(vexBatchQueueRequireClosedFiles({path}));
      break;
    }
    if (run.index < run.effectiveStyles.size()) run.plotStyle = vexBatchWideString(run.effectiveStyles[run.index]);

    // The host takes a drawing's name as text: one whose bytes are no text cannot be handed to it at all.
    if (!foundation::wideFromUtf8(path)) {
      setRow(row, state::failed, QDLT("文件名不是有效的 UTF-8 文本，CAD 无法打开；请重命名文件后重试。"));
      ++run.index;
      vexBatchQueueReport();
      continue;
    }
    // Read-only, and not among the recent files.
    const std::wstring fileName = vexBatchWideString(path);
    cad::OpenParams request{};
    request.fileName = fileName.c_str();
    request.initialView = 1;
    request.flags = 6;
    const cad::ErrorStatus status = manager != nullptr ? manager->appContextOpenDocument(request) : cad::eNotApplicable;
    cad::Document* document = vexBatchFindOpenFile(path, nullptr);
    if (status == cad::eOk && document != nullptr) {
      sendToOpened(document, path, row);
      return;
    }
    // The host says why on its command line; the row says it too, where the user looks for it.
    const std::string reason = manager != nullptr ? manager->lastOpenError() : std::string();
    setRow(row, state::failed,
           reason.empty()
               ? foundation::format(QDLT("只读打开失败（%d）；文件可能损坏、加密或不可访问。"), static_cast<int>(status))
               : foundation::format(QDLT("只读打开失败：%@"), reason));
    ++run.index;
    vexBatchQueueReport();
    if (document != nullptr) {
      // Refused, yet open: the next step closes it and goes on.
      run.taskDocument = document;
      run.taskPath = path;
      vexBatchQueueSchedule();
      return;
    }
  }
  endRun();
}

void vexBatchQueueVerifyCompletedOutputs() {
  if (!gBatchFilePanel) return;
  const QDLQueueRun& run = gFileRun;
  std::vector<QDLQueueRow>& items = gBatchFilePanel->items();
  long total = 0;
  for (const QDLQueueRow& row : items) total += row->expectedPages.value_or(0);
  const std::string combined = QDLQueueCombinedPath();

  struct Verdict {
    bool ok = false;
    std::string error;
  };
  // The combined PDF is every row's output: read once.
  std::map<std::string, Verdict> verdicts;
  std::map<std::string, std::vector<QDLQueueItem*>> lost;
  for (const QDLQueueRow& row : items) {
    if (row->outputs.empty()) continue;
    long verified = 0;
    std::string firstError;
    std::vector<std::string> kept;
    for (const std::string& path : row->outputs) {
      const bool isCombined = run.outputMode == 2 && path == combined;
      const long expected = isCombined ? total : run.mergePerFile ? row->completedPages.value_or(0) : 1;
      auto found = verdicts.find(path);
      if (found == verdicts.end()) {
        Verdict verdict;
        // Read only where the run wrote it: a link put in its place, or in its folder's, is not followed.
        if (QDLQueueWrittenInRunFolder(path)) {
          verdict.ok =
              quodl::finalizePdfOutput(path, static_cast<std::uint64_t>(expected < 0 ? 0 : expected), &verdict.error);
        } else {
          verdict.error = foundation::format("PDF is no longer where the run wrote it: %@", path);
        }
        found = verdicts.emplace(path, std::move(verdict)).first;
      }
      if (found->second.ok) {
        verified += isCombined ? row->expectedPages.value_or(0) : expected;
        kept.push_back(path);
      } else {
        if (firstError.empty()) firstError = found->second.error;
        lost[path].push_back(row.get());
      }
    }
    if (kept.size() == row->outputs.size()) continue;
    QDLQueueSetState(*row, verified == 0 ? state::failed : state::partial);
    row->completedPages = verified;
    row->message = firstError;
    // A file that did not verify is no output of the row, and leaves its delivery name.
    row->outputs = std::move(kept);
  }
  for (const auto& [path, rows] : lost) {
    const std::string note = QDLQueueSetAsideUnverified(path);
    if (note.empty()) continue;
    for (QDLQueueItem* row : rows) row->message = QDLQueueJoined(row->message, note);
  }
}
