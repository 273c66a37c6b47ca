#include "app/command_handlers.h"

#include "app/status_report.h"
#include "cad/command_line.h"
#include "core/frame_picking.h"
#include "core/panel_lifecycle.h"
#include "core/print_area_marks.h"
#include "core/sheet_locate.h"
#include "core/host_bridge.h"
#include "core/work_active.h"
#include "panels/lite_export.h"
#include "panels/lite_panel.h"
#include "plot/staged_job_activity.h"
#include "plot/staged_jobs.h"
#include "services/update_notice.h"

namespace {

// A handler that refuses silently while work is active; otherwise the work prints its own lines.
void unlessWorkActive(void (*work)()) {
  if (vexBatchPrintWorkActive()) return;
  work();
}

}  // namespace

void showUpdates() { qdl_updates_check(); }

// The panel show itself does nothing while work is active; the confirmation is printed regardless.
void showPanel() {
  vexBatchPrintPanelShow();
  cad::acutPrintf(L"\nFerrolin 批打工具面板已打开。");
}

void refreshPanel() {
  if (vexBatchPrintWorkActive()) return;
  vexBatchPrintPanelReload();
  cad::acutPrintf(L"\n批量打印页面列表已刷新。");
}

void executePending() {
  if (vexBatchPrintWorkActive()) {
    cad::acutPrintf(L"\nDUZOZAREDEXEC=BLOCKED");
    return;
  }
  const VexBatchStagedJobActivity running;
  if (vexBatchPrintExecutePending()) {
    cad::acutPrintf(L"\nDUZOZAREDEXEC=PASS");
    return;
  }
  cad::acutPrintf(L"\nDUZOZAREDEXEC=FAIL");
  vexBatchPrintPrintStatus();
}

void executePreview() {
  if (vexBatchPrintWorkActive()) {
    cad::acutPrintf(L"\nDUZOZAREDPREVIEW=BLOCKED");
    return;
  }
  const VexBatchStagedJobActivity running;
  cad::acutPrintf(vexBatchPrintExecutePreview() ? L"\nDUZOZAREDPREVIEW=PASS" : L"\nDUZOZAREDPREVIEW=FAIL");
}

void printStatus() { vexBatchPrintPrintStatus(); }

void focusPending() { unlessWorkActive(vexBatchPrintFocusPending); }
void showRanges() { unlessWorkActive(vexBatchPrintShowRanges); }
void addManualFrame() { unlessWorkActive(vexBatchPrintAddManualFrame); }
void pickLayer() { unlessWorkActive(vexBatchPrintPickLayer); }
void pickFrames() { unlessWorkActive(vexBatchPrintPickFrames); }
void pickBlock() { unlessWorkActive(vexBatchPrintPickBlock); }
void selectRange() { unlessWorkActive(vexBatchPrintSelectRange); }

void showLite() {
  vexBatchLiteForgetQueuedExport();
  vexBatchPrintLiteShow();
}

void executeLite() {
  const VexBatchLiteExportResult result = vexBatchPrintLiteExecute();
  switch (result.outcome) {
    case VexBatchLiteExportResult::Outcome::refused:
      cad::acutPrintf(L"\nDUZOZAREDLITEEXEC=BLOCKED");
      return;
    case VexBatchLiteExportResult::Outcome::succeeded:
      cad::acutPrintf(L"\nDUZOZAREDLITEEXEC=PASS");
      return;
    case VexBatchLiteExportResult::Outcome::failed:
      cad::acutPrintf(L"\nDUZOZAREDLITEEXEC=FAIL error=%ls", vexBatchWideString(result.error).c_str());
      return;
  }
}
