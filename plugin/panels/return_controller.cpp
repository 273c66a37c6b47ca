#include "panels/return_controller.h"

#include "core/host_bridge.h"
#include "core/panel_lifecycle.h"
#include "toolkit/application.h"
#include "toolkit/button.h"
#include "toolkit/text_field.h"
#include "ui/application_panel.h"
#include "ui/localisation.h"

std::unique_ptr<VexBatchPrintReturnController> gBatchPrintReturnController;

VexBatchPrintReturnController::VexBatchPrintReturnController() {
  using namespace toolkit::window_style;
  panel_ = std::make_shared<QDLApplicationPanel>(toolkit::Rect{0, 0, 330, 118}, titled | closable | utilityWindow,
                                                 toolkit::BackingStore::buffered, false);
  panel_->setIdentifier("batchPrintReturn");
  panel_->setTitle(QDLT("图框定位完成"));
  QDLConfigureApplicationPanel(*panel_);
  panel_->setReleasedWhenClosed(false);
  panel_->setDelegate(this);

  messageLabel_ = toolkit::TextField::wrappingLabelWithString(QDLT("目标已用红框高亮；查看后可直接返回批打列表。"));
  // 32 points hold two 13-point lines in the platform's font; Noto Sans CJK's lines are taller, so the frame has
  // four more points above and below.
  messageLabel_->setFrame({20, 61, 290, 40});
  messageLabel_->setAlignment(graphics::TextAlignment::center);
  messageLabel_->setLineBreakMode(graphics::LineBreakMode::wordWrap);
  messageLabel_->setMaximumNumberOfLines(2);

  // The button lives in the window, which lives no longer than this controller.
  returnButton_ =
      toolkit::Button::buttonWithTitle(QDLT("返回批打界面"), [this](toolkit::Control&) { returnToBatchPanel(); });
  returnButton_->setIdentifier("returnToBatchPanel");
  returnButton_->setBezelStyle(toolkit::BezelStyle::push);
  returnButton_->setFrame({85, 22, 160, 34});

  panel_->contentView()->addSubview(messageLabel_);
  panel_->contentView()->addSubview(returnButton_);
}

VexBatchPrintReturnController::~VexBatchPrintReturnController() {
  if (panel_->delegate() == this) panel_->setDelegate(nullptr);
  panel_->orderOut();
}

void VexBatchPrintReturnController::show() {
  showWithTitle(QDLT("图框定位完成"), QDLT("目标已用红框高亮；查看后可直接返回批打列表。"));
}

void VexBatchPrintReturnController::showWithTitle(const std::optional<std::string>& title,
                                                  const std::optional<std::string>& message) {
  returnToLite_ = vexBatchWantsLite();
  panel_->setTitle(title ? *title : QDLT("Ferrolin 批打工具"));
  messageLabel_->setStringValue(message ? *message : QDLT("可返回批打列表继续操作。"));
  panel_->center();
  toolkit::Application::shared().activateIgnoringOtherApps(true);
  panel_->makeKeyAndOrderFront();
}

void VexBatchPrintReturnController::returnToBatchPanel() {
  if (!vexBatchHasActiveDocument()) {
    panel_->orderOut();
    vexBatchPrintReturn();
    return;
  }
  // A refusal beeps and says so on the command line; the window stays for another try.
  static_cast<void>(queueCommand("DUZOZAREDRETURN"));
}

bool VexBatchPrintReturnController::windowShouldClose(toolkit::Window&) {
  returnToBatchPanel();
  return false;
}

namespace {

VexBatchPrintReturnController& ensureReturnController() {
  if (!gBatchPrintReturnController) gBatchPrintReturnController = std::make_unique<VexBatchPrintReturnController>();
  return *gBatchPrintReturnController;
}

}  // namespace

void vexBatchReturnWindowShow() { ensureReturnController().show(); }

void vexBatchReturnWindowShowWithTitle(const std::optional<std::string>& title,
                                       const std::optional<std::string>& message) {
  ensureReturnController().showWithTitle(title, message);
}

bool vexBatchReturnWindowWantsLite() {
  return gBatchPrintReturnController && gBatchPrintReturnController->returnToLite();
}

void vexBatchReturnWindowHide() {
  if (gBatchPrintReturnController) gBatchPrintReturnController->panel()->orderOut();
}

void vexBatchReturnWindowShutdown() {
  if (!gBatchPrintReturnController) return;
  QDLApplicationPanel& panel = *gBatchPrintReturnController->panel();
  panel.setDelegate(nullptr);
  panel.orderOut();
  panel.close();
  gBatchPrintReturnController.reset();
}
