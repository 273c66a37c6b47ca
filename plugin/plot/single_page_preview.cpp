// The single-page preview of DUZOZAREDPREVIEW.
#include <string>

#include "cad/command_line.h"
#include "cad/plot_state.h"
#include "core/call_trace.h"
#include "core/host_bridge.h"
#include "core/interface_text.h"
#include "core/panel_lifecycle.h"
#include "core/work_active.h"
#include "foundation/files.h"
#include "foundation/format.h"
#include "plot/last_result.h"
#include "plot/output_naming.h"
#include "plot/output_placement.h"
#include "plot/panel_link.h"
#include "plot/pending_job_snapshot.h"
#include "plot/plot_run.h"
#include "plot/print_jobs.h"
#include "plot/staged_jobs.h"
#include "toolkit/application.h"
#include "toolkit/workspace.h"

namespace {

// Brings the application and the full panel to the front with a status text; on the main thread.
void showInPanel(std::string status) {
  runOnMainThread([status = std::move(status)] {
    toolkit::Application::shared().activate();
    plotPanelBringToFront();
    vexBatchUpdatePanelStatus(status);
  });
}

// The drawing test of staged jobs: an empty path accepts any drawing, paths compare standardised and ignoring case.
bool belongsToCurrentDrawing(const VexBatchPrintPreviewJob& preview) {
  VexBatchPrintPendingJob probe;
  probe.drawingPath = preview.drawingPath;
  return vexBatchPendingJobMatchesCurrentDrawing(probe);
}

}  // namespace

bool vexBatchPrintExecutePreview() {
  quodlTraceCall("vexBatchPrintExecutePreview");
  if (vexBatchPrintWorkActive()) return false;
  if (!gBatchPrintPreviewJob.ready) {
    cad::acutPrintf(L"\n没有待预览页面，请先在批打列表中选中一行。");
    return false;
  }
  if (cad::acplProcessPlotState() != 0) {
    // The preview stays staged for a later run.
    cad::acutPrintf(L"\n预览失败：另一个打印任务正在运行。");
    showInPanel(translatedText("预览失败：另一个打印任务正在运行。"));
    return false;
  }

  const VexBatchPrintPreviewJob job = gBatchPrintPreviewJob;
  gBatchPrintPreviewJob.ready = false;
  if (!belongsToCurrentDrawing(job)) {
    runOnMainThread([] {
      plotPanelBringToFront();
      vexBatchUpdatePanelStatus(translatedText("预览任务属于另一份 DWG，请返回原图纸后重试。"));
    });
    return false;
  }

  const VexBatchPrintLastResult saved = vexBatchPrintSaveLastResult();
  gBatchPrintLastError.clear();
  gBatchPrintLastCancelled = false;
  const std::wstring startLayout = vexBatchCurrentLayoutName();

  const bool written = vexBatchEnsureOutputDirectory(job.pdfPath, false) &&
                       vexDuzozAredDocument({job.page}, job.pdfPath, job.styleSheet, nullptr, 0);
  const bool cancelled = gBatchPrintLastCancelled;
  const std::wstring error = gBatchPrintLastError;

  if (!startLayout.empty()) (void)vexBatchActivateLayout(startLayout);
  vexBatchPrintRestoreLastResult(saved);

  const std::string pdfPath = vexBatchNSString(vexBatchEnsurePdfExtension(job.pdfPath));
  if (!written) {
    // A text that tells the user the host's PDF was kept must stay true.
    if (!vexBatchPlotKeptHostPdf(error) && !pdfPath.empty()) (void)foundation::removeFile(pdfPath);
    showInPanel(cancelled ? translatedText("单页预览已取消；正式任务未改变。")
                          : foundation::format(translatedText("单页预览失败：%@"),
                                               error.empty() ? std::wstring(L"AutoCAD 未生成预览 PDF") : error));
    return false;
  }

  vexBatchShowReturnPanelWithMessage(translatedText("单页预览已生成"),
                                     translatedText("临时 PDF 已打开；检查后可返回批打列表继续操作。"));
  runOnMainThread([pdfPath] {
    vexBatchUpdatePanelStatus(translatedText("单页预览已生成；正式输出目录和恢复任务均未改变。"));
    (void)toolkit::Workspace::shared().openURL(pdfPath);
  });
  return true;
}
