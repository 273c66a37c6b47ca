#include "plot/plot_run.h"

#include <exception>
#include <memory>

#include "cad/layout_manager.h"
#include "cad/plot/plot_progress.h"
#include "cad/plot/publish_engine.h"
#include "core/host_bridge.h"
#include "core/interface_text.h"
#include "foundation/files.h"
#include "foundation/format.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "foundation/work_file.h"
#include "pdf/output_verification.h"
#include "pdf/work_file_names.h"
#include "plot/exception_reason.h"
#include "plot/last_result.h"
#include "plot/output_commit.h"
#include "plot/output_naming.h"
#include "plot/output_placement.h"
#include "plot/page_preparation.h"
#include "plot/paper_size_normalization.h"
#include "plot/progress_controller.h"
#include "plot/progress_events.h"
#include "plot/queue_link.h"

namespace {

constexpr wchar_t kCancelledText[] = L"用户取消了批量打印；任务已保留，可再次执行";
// What the normalisation's native-paper mismatch tells the user: the host's PDF was kept.
constexpr wchar_t kKeptHostPdfText[] = L"已保留原始 PDF";

// The host's progress dialog of one run, ended and destroyed exactly once.
class HostDialog {
 public:
  explicit HostDialog(int sheets) : dialog_(cad::acplCreatePlotProgressDialog(nullptr, false, sheets, nullptr, true)) {}
  ~HostDialog() { end(false); }
  HostDialog(const HostDialog&) = delete;
  HostDialog& operator=(const HostDialog&) = delete;

  cad::PlotProgressDialog* operator->() const { return dialog_; }
  cad::PlotProgressDialog* get() const { return dialog_; }
  explicit operator bool() const { return dialog_ != nullptr; }

  void end(bool reachEnd) {
    if (dialog_ == nullptr) return;
    if (reachEnd) dialog_->setPlotProgressPos(100);
    dialog_->onEndPlot();
    dialog_->destroy();
    dialog_ = nullptr;
  }

  bool cancelled() const { return dialog_ != nullptr && (dialog_->isPlotCancelled() || dialog_->isSheetCancelled()); }

 private:
  cad::PlotProgressDialog* dialog_;
};

struct EngineDestroyer {
  void operator()(cad::PlotEngine* engine) const { engine->destroy(); }
};
using EngineHandle = std::unique_ptr<cad::PlotEngine, EngineDestroyer>;

std::wstring wide(const std::string& text) { return vexBatchWideString(text); }

void fail(const std::wstring& reason) { gBatchPrintLastError = reason; }

void failOnLayout(const std::wstring& reason) {
  gBatchPrintLastFailedOnLayout = true;
  fail(reason);
}

// The engine's reason names the file it was given, the run's work file; the user knows the output.
std::wstring engineReason(const cad::PlotEngine& engine, const std::wstring& fallback, const foundation::WorkFile& work) {
  const std::string& reason = engine.failureReason();
  if (reason.empty()) return fallback;
  return fallback + L": " + wide(foundation::namingOutput(reason, work.path(), work.target()));
}

void failCancelled() {
  gBatchPrintLastCancelled = true;
  gBatchPrintLastError = kCancelledText;
}

bool plotRun(const std::vector<VexBatchPrintPageSpec>& pages, const std::wstring& outputPath,
             const std::wstring& styleSheet, VexBatchPrintProgressController* given, std::int64_t pageOffset) {
  if (plotQueueShouldStop()) {
    fail(L"Queue stopped");
    return false;
  }
  std::vector<VexBatchPrintPreparedPage> prepared;
  if (!vexBatchPreparePages(pages, styleSheet, prepared)) return false;

  const std::optional<std::wstring> absolute = vexBatchAbsoluteOutputPath(vexBatchEnsurePdfExtension(outputPath));
  if (!absolute) return false;
  const std::wstring& pdfPath = *absolute;
  const std::string target = vexBatchNSString(pdfPath);
  // What no plot replaces (an open drawing, a folder, a pipe) and names the verification refuses are refused
  // before anything is plotted.
  std::optional<std::string> refusal = quodl::pdfOutputNameRefusal(target);
  if (!refusal) refusal = cad::plotTargetRefusal(target);
  if (refusal) {
    fail(wide(*refusal));
    return false;
  }
  // Beside the target, so that putting it in place is one rename on the same volume.
  foundation::WorkFile work(target, quodl::kPlotWorkPrefix, quodl::kWorkFileSuffix);

  cad::PlotEngine* created = nullptr;
  if (cad::PlotFactory::createPublishEngine(created) != cad::eOk || created == nullptr) {
    if (created != nullptr) created->destroy();
    fail(L"Cannot create AutoCAD publish engine");
    return false;
  }
  EngineHandle engine(created);

  const auto n = static_cast<std::int64_t>(prepared.size());
  HostDialog dialog(static_cast<int>(n));

  VexBatchPrintOwnProgress own(given, n);
  VexBatchPrintProgressController* progress = &own.controller();
  const auto cancelled = [&] { return progress->cancelled() || dialog.cancelled(); };

  if (dialog) {
    dialog->setPlotMsgString(cad::PlotProgressDialog::kDialogTitle, L"Quodline 批量打印");
    dialog->setPlotMsgString(cad::PlotProgressDialog::kCancelSheetBtnMsg, L"取消输出");
    dialog->setPlotMsgString(cad::PlotProgressDialog::kCancelJobBtnMsg, L"全部取消");
    dialog->setPlotMsgString(cad::PlotProgressDialog::kMsgCancelling, L"正在安全取消，请稍候…");
    dialog->setPlotProgressRange(0, 100);
    dialog->setPlotProgressPos(0);
    dialog->onBeginPlot();
  }

  if (cad::layoutManager() == nullptr || !vexBatchActivateLayout(prepared.front().layoutName)) {
    dialog.end(false);
    own.finishWithSuccess(false);
    engine.reset();
    failOnLayout(L"Cannot activate first plot layout: " + prepared.front().layoutName);
    return false;
  }

  bool failed = false;
  bool plotBegun = false;
  bool documentBegun = false;
  if (engine->beginPlot(dialog.get()) != cad::eOk) {
    fail(L"beginPlot failed");
    failed = true;
  } else {
    plotBegun = true;
    if (engine->beginDocument(*prepared.front().plotInfo, L"Quodline batch print", nullptr, 1, true,
                              wide(work.path()).c_str()) != cad::eOk) {
      fail(engineReason(*engine, L"beginDocument failed", work));
      failed = true;
    } else {
      documentBegun = true;
    }
  }

  for (std::int64_t i = 0; i < n && !failed; ++i) {
    const VexBatchPrintPreparedPage& page = prepared[static_cast<std::size_t>(i)];
    const std::wstring& name = pages[static_cast<std::size_t>(i)].name;
    const std::int64_t shown = pageOffset + i + 1;

    vexBatchPumpProgressEvents();
    if (dialog) dialog->heartbeat();
    if (cancelled()) {
      failCancelled();
      failed = true;
      break;
    }
    if (!vexBatchActivateLayout(page.layoutName)) {
      failOnLayout(L"Cannot activate plot layout: " + page.layoutName);
      failed = true;
      break;
    }
    if (dialog) {
      dialog->setPlotMsgString(cad::PlotProgressDialog::kSheetName, name.c_str());
      dialog->setSheetProgressRange(0, 100);
      dialog->setSheetProgressPos(0);
      dialog->onBeginSheet();
    }
    const std::string nameText = vexBatchNSString(name);
    progress->updatePage(shown, nameText);
    vexBatchUpdatePanelStatus(
        foundation::format(translatedText("正在输出第 %ld / %ld 页：%@"), shown, progress->totalPages(), nameText));

    cad::PlotPageInfo pageInfo;
    const bool drawn = engine->beginPage(pageInfo, *page.plotInfo, i + 1 == n) == cad::eOk &&
                       engine->beginGenerateGraphics() == cad::eOk && engine->endGenerateGraphics() == cad::eOk &&
                       engine->endPage() == cad::eOk;

    if (dialog) {
      dialog->setSheetProgressPos(100);
      dialog->onEndSheet();
      dialog->setPlotProgressPos(static_cast<int>((i + 1) * 100 / n));
      dialog->heartbeat();
    }
    vexBatchPumpProgressEvents();
    if (cancelled()) {
      failCancelled();
      failed = true;
    }
    if (!drawn) {
      fail(engineReason(*engine, L"Page plotting failed: " + name, work));
      failed = true;
    }
    if (!failed) progress->completePages(shown);
  }

  if (documentBegun && engine->endDocument() != cad::eOk && !failed) {
    fail(engineReason(*engine, L"endDocument failed", work));
    failed = true;
  }
  if (plotBegun && engine->endPlot() != cad::eOk && !failed) {
    fail(L"endPlot failed");
    failed = true;
  }
  dialog.end(true);
  engine.reset();

  if (!failed) {
    progress->showStage(translatedText("正在校验 PDF…"));
    if (progress->cancelled()) {
      failCancelled();
      failed = true;
    }
  }
  if (!failed && !foundation::isRegularFile(work.path())) {
    fail(L"Plot engine returned without a PDF file");
    failed = true;
  }
  std::string committed;
  if (!failed && !vexBatchNormalizePdfPaperSizes(wide(work.path()), pages, prepared, target)) {
    failed = true;
    // The failure text promises the user the host's PDF; it takes the output's place as the host wrote it.
    if (vexBatchPlotKeptHostPdf(gBatchPrintLastError)) (void)vexBatchCommitOutput(work, committed);
  }
  if (!failed) {
    if (const foundation::FileResult put = vexBatchCommitOutput(work, committed); !put) {
      fail(L"Cannot commit plotted PDF: " + wide(put.error));
      failed = true;
    }
  }
  if (!failed) {
    gBatchPrintLastOutput = wide(committed);
    gBatchPrintLastPageCount += static_cast<std::int32_t>(n);
  }
  own.finishWithSuccess(!failed);
  return !failed;
}

}  // namespace

bool vexDuzozAredDocument(const std::vector<VexBatchPrintPageSpec>& pages, const std::wstring& outputPath,
                          const std::wstring& styleSheet, VexBatchPrintProgressController* progress,
                          std::int64_t pageOffset) {
  // Nothing of the host or the system may escape into the host's command loop.
  try {
    return plotRun(pages, outputPath, styleSheet, progress, pageOffset);
  } catch (const std::exception& e) {
    fail(L"Plot run failed: " + foundation::wideFromUtf8Lossy(vexBatchExceptionReason(e, "unknown error")));
    return false;
  }
}

void vexBatchRemoveAbandonedWorkFiles() {
  (void)foundation::removeAbandonedWorkItems([](std::string_view name) {
    for (const char* prefix : {quodl::kPlotWorkPrefix, quodl::kMergeWorkPrefix, quodl::kNormalizeWorkPrefix}) {
      if (foundation::isWorkItemName(name, prefix, quodl::kWorkFileSuffix)) return true;
    }
    return foundation::isWorkItemName(name, quodl::kIsolatedPagesPrefix, "");
  });
}

bool vexBatchPlotKeptHostPdf(const std::wstring& error) { return error.find(kKeptHostPdfText) != std::wstring::npos; }
