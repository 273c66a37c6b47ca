#include "plot/progress_controller.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/interface_text.h"
#include "foundation/format.h"
#include "foundation/main_queue.h"
#include "plot/progress_events.h"

namespace {

// How long the success state stays on screen.
constexpr double kSuccessCloseDelay = 0.8;

VexBatchPrintProgressWindowMaker& windowMaker() {
  static VexBatchPrintProgressWindowMaker maker;
  return maker;
}

// Tags the delayed closes on the main queue, so that unloading can take them back: their code leaves with the
// plug-in.
const char kDelayedCloseOwner = 0;

// Controllers whose delayed close is pending.
std::vector<std::weak_ptr<VexBatchPrintProgressController>>& awaitingClose() {
  static std::vector<std::weak_ptr<VexBatchPrintProgressController>> controllers;
  return controllers;
}

}  // namespace

void vexBatchSetProgressWindowMaker(VexBatchPrintProgressWindowMaker maker) { windowMaker() = std::move(maker); }

std::shared_ptr<VexBatchPrintProgressController> VexBatchPrintProgressController::initWithTotalPages(
    std::int64_t total) {
  std::shared_ptr<VexBatchPrintProgressController> controller(new VexBatchPrintProgressController(total));
  if (windowMaker()) controller->window_ = windowMaker()(controller);
  if (controller->window_) controller->window_->setStageText(controller->stageText_);
  controller->completePages(0);
  return controller;
}

VexBatchPrintProgressController::VexBatchPrintProgressController(std::int64_t total)
    : totalPages_(std::max<std::int64_t>(total, 1)), stageText_(translatedText("正在准备打印引擎…")) {}

VexBatchPrintProgressController::~VexBatchPrintProgressController() { closeWindow(); }

void VexBatchPrintProgressController::show() {
  if (window_) {
    window_->present();
    window_->display();
  }
  vexBatchPumpProgressEvents();
}

void VexBatchPrintProgressController::showStage(const std::string& text) {
  if (cancelled_ || closing_) return;
  stageText_ = text;
  if (window_) {
    window_->setStageText(stageText_);
    window_->display();
    window_->flushLayers();
  }
  vexBatchPumpProgressEvents();
}

void VexBatchPrintProgressController::updatePage(std::int64_t page, const std::string& name) {
  if (cancelled_ || closing_) return;
  const std::int64_t n = std::clamp<std::int64_t>(page, 1, totalPages_);
  completePages(n - 1);
  stageText_ = foundation::format(translatedText("正在输出第 %ld / %ld 页"), n, totalPages_);
  detailText_ = name.empty() ? translatedText("未命名页面") : name;
  if (window_) {
    window_->setStageText(stageText_);
    window_->setDetailText(detailText_);
    window_->setDetailToolTip(detailText_);
    window_->display();
  }
  vexBatchPumpProgressEvents();
}

void VexBatchPrintProgressController::completePages(std::int64_t count) {
  if (closing_) return;
  completedPages_ = std::max(completedPages_, std::clamp<std::int64_t>(count, 0, totalPages_));
  completedText_ = foundation::format(translatedText("已处理 %ld / %ld 页"), completedPages_, totalPages_);
  if (window_) {
    window_->setRingProgress(completedPages_, totalPages_);
    window_->setCompletedText(completedText_);
    window_->display();
  }
}

void VexBatchPrintProgressController::cancelPrinting() {
  if (closing_) return;
  cancelled_ = true;
  stageText_ = translatedText("正在安全取消…");
  detailText_ = translatedText("当前页面结束后停止。");
  if (window_) {
    window_->setCancelEnabled(false);
    window_->setStageText(stageText_);
    window_->setDetailText(detailText_);
    window_->display();
  }
}

bool VexBatchPrintProgressController::windowShouldClose() {
  if (closing_) finish();
  else cancelPrinting();
  return false;
}

void VexBatchPrintProgressController::finishWithSuccess(bool ok) {
  if (closing_) return;
  if (!ok || cancelled_ || completedPages_ != totalPages_) {
    finish();
    return;
  }
  succeeded_ = true;
  closing_ = true;
  // The catalogue has no English for this line, so it reads the same in every language.
  stageText_ = translatedText("输出完成");
  completedText_ = translatedText("PDF 已生成");
  if (window_) {
    window_->setCancelEnabled(false);
    window_->setStageText(stageText_);
    window_->setCompletedText(completedText_);
    window_->showRingSuccess();
    window_->display();
  }
  std::erase_if(awaitingClose(), [](const auto& weak) { return weak.expired(); });
  awaitingClose().push_back(weak_from_this());
  foundation::dispatchAfter(
      kSuccessCloseDelay, [self = shared_from_this()] { self->finish(); }, &kDelayedCloseOwner);
}

void VexBatchPrintProgressController::finish() {
  closing_ = true;
  closeWindow();
}

void VexBatchPrintProgressController::closeWindow() {
  if (windowClosed_) return;
  windowClosed_ = true;
  if (window_) window_->close();
}

void vexBatchCloseProgressWindows() {
  std::vector<std::weak_ptr<VexBatchPrintProgressController>> controllers;
  controllers.swap(awaitingClose());
  for (const auto& weak : controllers) {
    if (const auto controller = weak.lock()) controller->finish();
  }
  foundation::MainQueue::main().cancelAll(&kDelayedCloseOwner);
}

VexBatchPrintOwnProgress::VexBatchPrintOwnProgress(VexBatchPrintProgressController* given, std::int64_t totalPages)
    : own_(given == nullptr ? VexBatchPrintProgressController::initWithTotalPages(totalPages) : nullptr),
      controller_(given == nullptr ? own_.get() : given) {
  if (own_) own_->show();
}

VexBatchPrintOwnProgress::~VexBatchPrintOwnProgress() { finishWithSuccess(false); }

void VexBatchPrintOwnProgress::finishWithSuccess(bool success) {
  if (!own_) return;
  own_->finishWithSuccess(success);
  own_.reset();
}
