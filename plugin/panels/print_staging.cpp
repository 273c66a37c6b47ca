// The full panel hands its work to the host: the print job of the ticked sheets (after a preflight), a preview
// of the highlighted sheet, and the resume of a job that did not finish, offered after each reload.

#include <algorithm>

#include "core/host_bridge.h"
#include "foundation/files.h"
#include "foundation/folders.h"
#include "foundation/format.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "foundation/transforms.h"
#include "foundation/user_defaults.h"
#include "foundation/uuid.h"
#include "panels/batch_print_panel_controller.h"
#include "panels/job_status_line.h"
#include "plot/output_placement.h"
#include "plot/pending_job_snapshot.h"
#include "plot/print_jobs.h"
#include "plot/staged_job_activity.h"
#include "toolkit/alert.h"
#include "toolkit/button.h"
#include "toolkit/menu.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/segmented_control.h"
#include "toolkit/text_field.h"
#include "ui/application_panel.h"
#include "ui/localisation.h"
#include "ui/modern_button.h"
#include "ui/path_field.h"

namespace {

std::string paperNameOf(const std::string& shown) {
  const auto bar = shown.find("｜");
  return bar == std::string::npos ? shown : shown.substr(0, bar);
}

std::wstring selectedStyle(const toolkit::PopUpButton& styles) {
  const toolkit::MenuItem* item = styles.selectedItem();
  return item != nullptr ? vexBatchWideString(item->representedObject().value_or("")) : std::wstring();
}

// A job whose last run failed the way every run would: the user decides whether it goes or is tried again (after
// changing the drawing). Try again is the default, so that Return never throws a job away.
bool userRetriesBlockedJob(const VexBatchPrintPendingJob& job) {
  toolkit::Alert alert;
  alert.setAlertStyle(toolkit::AlertStyle::warning);
  alert.setMessageText(QDLT("未完成任务无法完成"));
  alert.setInformativeText(vexBatchNSString(job.blockedReason) + "\n\n" +
                           QDLT("放弃后，该任务及其恢复快照将被删除；已输出的 PDF 保留。"));
  alert.addButtonWithTitle(QDLT("重试"));
  const auto discard = alert.addButtonWithTitle(QDLT("放弃任务"));
  discard->setHasDestructiveAction(true);
  return alert.runModal() != toolkit::kAlertSecondButtonReturn;
}

}  // namespace

bool VexBatchPrintPanelController::refusedWhilePlotting() {
  if (!vexBatchStagedJobRunning()) return false;
  refuse(QDLT("正在输出 PDF，请等当前任务结束后再试。"));
  return true;
}

// Rows scanned in one drawing must not be plotted from another that happens to have layouts of the same names.
bool VexBatchPrintPanelController::refusedForOtherDrawing() {
  const std::string current = vexBatchCurrentDrawingKey();
  if (!drawingKey_.empty() && drawingKey_ == current && current != "no-drawing") return false;
  refuse(QDLT("页面列表不属于当前图纸，请点击“重新扫描”后再试。"));
  return true;
}

VexBatchPrintPageSpec VexBatchPrintPanelController::pageSpecForRow(const VexBatchPrintRow& row,
                                                                   unsigned outputIndex) const {
  VexBatchPrintPageSpec page;
  page.source = row.source;
  page.name = vexBatchWideString(row.layoutName);
  page.layoutName = row.source != VexBatchPrintSourceLayout ? L"Model" : vexBatchWideString(row.sourceName);
  page.minX = row.minX;
  page.minY = row.minY;
  page.maxX = row.maxX;
  page.maxY = row.maxY;
  page.layoutWindow = row.layoutWindow;
  page.exactPaperFrame = row.exactPaperFrame;
  page.paperOverridden = row.paperOverridden;
  page.contentScalePercent = std::clamp(static_cast<double>(row.contentScalePercent), 1.0, 100.0);
  page.outputIndex = outputIndex;
  page.paper.name = vexBatchWideString(paperNameOf(row.paperName));
  page.paper.shortSide = row.paperShortSide;
  page.paper.longSide = row.paperLongSide;
  return page;
}

void VexBatchPrintPanelController::stagePrint() {
  if (refusedWhilePlotting()) return;
  reloadPlotStylesForActiveDrawing();
  VexBatchPrintRows staged;
  for (const auto& row : orderedOutputRows()) {
    if (row->selected && !row->layoutName.empty()) staged.push_back(row);
  }
  if (staged.empty()) return refuse(QDLT("请至少选择一个页面。"));
  if (outputPath_->stringValue().empty()) return refuse(QDLT("请选择输出位置。"));
  if (refusedForOtherDrawing()) return;
  if (!runPreflightShowingDialog(false)) return;

  VexBatchPrintPendingJob job;
  unsigned index = 1;
  for (const auto& row : staged) job.pages.push_back(pageSpecForRow(*row, index++));
  // As the preflight read it: "~" is the home folder in the job and its snapshot, not a folder named "~".
  job.outputPath =
      vexBatchWideString(QDLAbsoluteOutputPath(outputPath_->stringValue(), nullptr).value_or(outputPath_->stringValue()));
  job.nameTemplate = vexBatchWideString(nameTemplate_->stringValue());
  job.styleSheet = selectedStyle(*plotStyleMode_);
  job.drawingPath = vexBatchCurrentDrawingPath();
  job.totalPageCount = job.pages.size();
  job.completedPageCount = 0;
  job.merged = outputMode_->selectedSegment() == 0;
  job.overwriteExisting = overwriteButton_->state() == toolkit::control_state::on;
  job.active = true;
  gBatchPrintPendingJob = job;

  if (std::string error; !vexBatchWritePendingJobSnapshot(gBatchPrintPendingJob, "pending", &error)) {
    gBatchPrintPendingJob = VexBatchPrintPendingJob();
    return refuse(foundation::format(QDLT("任务提交失败：无法保存恢复快照：%@"), error));
  }
  // Each write of the settings waits for the disk: what is stored already is not written again.
  foundation::UserDefaults& defaults = foundation::UserDefaults::standard();
  if (defaults.stringForKey("Quodline.OutputPath") != outputPath_->stringValue()) {
    defaults.setString(outputPath_->stringValue(), "Quodline.OutputPath");
  }
  if (!defaults.hasKey("Quodline.OutputLocationMode") ||
      defaults.integerForKey("Quodline.OutputLocationMode") != outputLocationMode_->indexOfSelectedItem()) {
    defaults.setInteger(outputLocationMode_->indexOfSelectedItem(), "Quodline.OutputLocationMode");
  }
  if (!queueCommand("DUZOZAREDEXEC")) {
    // The job stays staged with its snapshot: the next reload offers it for resuming.
    return refuse(QDLT("任务已保存，但无法启动输出命令；可稍后点击“继续未完成任务”。"));
  }
  showStatus(QDLT("任务已提交，正在由 CAD 原生打印引擎输出…"));
}

void VexBatchPrintPanelController::previewSelected() {
  if (refusedWhilePlotting()) return;
  const long highlighted = table_->selectedRow();
  if (highlighted < 0 || highlighted >= static_cast<long>(rows_.size())) {
    return refuse(QDLT("请先在列表中选中一个页面，再点击“预览选中页”。"));
  }
  if (refusedForOtherDrawing()) return;
  const auto row = rows_[static_cast<std::size_t>(highlighted)];
  reloadPlotStylesForActiveDrawing();
  if (!gBatchPrintPreviewJob.pdfPath.empty()) {
    static_cast<void>(foundation::removeFile(vexBatchNSString(gBatchPrintPreviewJob.pdfPath)));
  }
  const std::string pdf = foundation::appendingPathComponent(
      foundation::temporaryDirectory(), foundation::format("CAD批打预览-%@.pdf", foundation::makeUuid()));
  gBatchPrintPreviewJob = VexBatchPrintPreviewJob();
  gBatchPrintPreviewJob.page = pageSpecForRow(*row, 1);
  gBatchPrintPreviewJob.styleSheet = selectedStyle(*plotStyleMode_);
  gBatchPrintPreviewJob.pdfPath = vexBatchWideString(pdf);
  gBatchPrintPreviewJob.drawingPath = vexBatchCurrentDrawingPath();
  gBatchPrintPreviewJob.ready = true;
  showStatus(foundation::format(QDLT("正在生成临时预览：%@…"), row->layoutName));
  panel_->orderOut();
  if (!queueCommand("DUZOZAREDPREVIEW")) panel_->makeKeyAndOrderFront();
}

void VexBatchPrintPanelController::refreshRecoveryState(const std::string& outcome) {
  if (!resumeButton_) return;
  if (!gBatchPrintPendingJob.active) {
    VexBatchPrintPendingJob stored;
    if (vexBatchLoadPendingJobSnapshot(stored) && vexBatchPendingJobMatchesCurrentDrawing(stored)) {
      gBatchPrintPendingJob = stored;
    }
  }
  const VexBatchPrintPendingJob& job = gBatchPrintPendingJob;
  const bool resumable = job.active && !job.pages.empty() && vexBatchPendingJobMatchesCurrentDrawing(job);
  resumeButton_->setEnabled(resumable);
  if (!resumable) {
    if (!outcome.empty()) showStatus(vexBatchJobStatusLine(outcome, nullptr));
    return;
  }

  outputPath_->setStringValue(vexBatchNSString(job.outputPath));
  outputMode_->setSelectedSegment(job.merged ? 0 : 1);
  nameTemplate_->setEnabled(!job.merged);
  nameTemplate_->setStringValue(vexBatchNSString(job.nameTemplate));
  overwriteButton_->setState(job.overwriteExisting ? toolkit::control_state::on : toolkit::control_state::off);
  const std::string style = foundation::lowercased(vexBatchNSString(job.styleSheet));
  for (long i = 0; i < plotStyleMode_->numberOfItems(); ++i) {
    if (foundation::lowercased(plotStyleMode_->itemAtIndex(i)->representedObject().value_or("")) == style) {
      plotStyleMode_->selectItemAtIndex(i);
      break;
    }
  }
  showStatus(vexBatchJobStatusLine(outcome, &job));
}

void VexBatchPrintPanelController::resumePendingJob() {
  if (refusedWhilePlotting()) return;
  VexBatchPrintPendingJob& job = gBatchPrintPendingJob;
  if (!job.active || job.pages.empty()) {
    refuse(QDLT("没有可恢复的未完成任务。"));
    resumeButton_->setEnabled(false);
    return;
  }
  if (!vexBatchPendingJobMatchesCurrentDrawing(job)) return refuse(QDLT("未完成任务属于另一份 DWG，请打开原图纸后恢复。"));
  if (refusedForOtherDrawing()) return;
  if (!job.blockedReason.empty() && !userRetriesBlockedJob(job)) {
    gBatchPrintPendingJob = VexBatchPrintPendingJob();
    vexBatchRemovePendingJobSnapshot();
    resumeButton_->setEnabled(false);
    return showStatus(QDLT("已放弃未完成任务；已输出的 PDF 保留。"));
  }
  resumeButton_->setEnabled(false);
  showStatus(foundation::format(QDLT("正在恢复未完成任务：剩余 %ld 页…"), static_cast<long>(job.pages.size())));
  static_cast<void>(vexBatchWritePendingJobSnapshot(job, "resuming"));
  if (!queueCommand("DUZOZAREDEXEC")) {
    resumeButton_->setEnabled(true);
    refuse(QDLT("任务已保存，但无法启动输出命令；可稍后点击“继续未完成任务”。"));
  }
}
