#include "panels/progress_window.h"

#include <utility>

#include "graphics/color.h"
#include "graphics/font.h"
#include "panels/progress_ring.h"
#include "toolkit/application.h"
#include "toolkit/button.h"
#include "toolkit/event.h"
#include "toolkit/layer.h"
#include "toolkit/text_field.h"
#include "ui/application_panel.h"
#include "ui/localisation.h"

using graphics::Color;

namespace {

std::shared_ptr<toolkit::TextField> line(const toolkit::Rect& frame, const Color& color,
                                         graphics::LineBreakMode lineBreak) {
  auto label = toolkit::TextField::labelWithString("");
  label->setFrame(frame);
  label->setAlignment(graphics::TextAlignment::center);
  label->setTextColor(color);
  label->setLineBreakMode(lineBreak);
  return label;
}

}  // namespace

QDLPrintProgressWindow::QDLPrintProgressWindow(std::weak_ptr<VexBatchPrintProgressController> controller)
    : controller_(std::move(controller)) {
  using namespace toolkit::window_style;
  panel_ = std::make_shared<QDLApplicationPanel>(toolkit::Rect{0, 0, 340, 360}, titled | closable | fullSizeContentView,
                                                 toolkit::BackingStore::buffered, false);
  panel_->setIdentifier("printProgress");
  panel_->setTitle(QDLT("Ferrolin 批打工具进度"));
  panel_->setTitlebarAppearsTransparent(true);
  panel_->setTitleVisibility(toolkit::TitleVisibility::hidden);
  panel_->setAppearance(graphics::Appearance::darkAqua);
  const Color background = Color::grey(0.105, 1);
  panel_->setBackgroundColor(background);
  toolkit::View& content = *panel_->contentView();
  content.setWantsLayer(true);
  content.layer()->backgroundColor = background;
  QDLConfigureApplicationPanel(*panel_);
  panel_->setReleasedWhenClosed(false);
  panel_->setDelegate(this);

  ring_ = std::make_shared<QDLPrintProgressRing>(toolkit::Rect{70, 150, 200, 200});
  pageLabel_ = line({24, 117, 292, 26}, Color::white(), graphics::LineBreakMode::truncatingTail);
  pageLabel_->setIdentifier("printProgressStage");
  pageLabel_->setFont(graphics::Font::system(16, graphics::FontWeight::semibold));
  detailLabel_ = line({24, 87, 292, 20}, Color::grey(0.75), graphics::LineBreakMode::truncatingMiddle);
  completedLabel_ = line({24, 60, 292, 20}, Color::grey(0.6), graphics::LineBreakMode::truncatingTail);
  completedLabel_->setIdentifier("printProgressCompletedPages");

  // The window may outlive a click's way to its controller; a gone controller makes the click do nothing.
  cancelButton_ = toolkit::Button::buttonWithTitle(QDLT("取消打印"), [controller = controller_](toolkit::Control&) {
    if (const auto c = controller.lock()) c->cancelPrinting();
  });
  cancelButton_->setIdentifier("cancelPrinting");
  cancelButton_->setBezelStyle(toolkit::BezelStyle::push);
  cancelButton_->setFrame({114, 14, 112, 32});
  cancelButton_->setKeyEquivalent(toolkit::key::escape);

  content.addSubview(ring_);
  content.addSubview(pageLabel_);
  content.addSubview(detailLabel_);
  content.addSubview(completedLabel_);
  content.addSubview(cancelButton_);
}

QDLPrintProgressWindow::~QDLPrintProgressWindow() {
  if (panel_->delegate() == this) panel_->setDelegate(nullptr);
  panel_->orderOut();
}

void QDLPrintProgressWindow::present() {
  panel_->center();
  toolkit::Application::shared().activateIgnoringOtherApps(true);
  panel_->makeKeyAndOrderFront();
  ring_->startAnimating();
}

void QDLPrintProgressWindow::setStageText(const std::string& text) { pageLabel_->setStringValue(text); }

void QDLPrintProgressWindow::setDetailText(const std::string& text) { detailLabel_->setStringValue(text); }

void QDLPrintProgressWindow::setDetailToolTip(const std::string& text) { detailLabel_->setToolTip(text); }

void QDLPrintProgressWindow::setCompletedText(const std::string& text) { completedLabel_->setStringValue(text); }

void QDLPrintProgressWindow::setRingProgress(std::int64_t completed, std::int64_t total) {
  ring_->setCompleted(completed, total);
}

void QDLPrintProgressWindow::showRingSuccess() { ring_->showSuccess(); }

void QDLPrintProgressWindow::setCancelEnabled(bool enabled) { cancelButton_->setEnabled(enabled); }

void QDLPrintProgressWindow::display() { panel_->display(); }

void QDLPrintProgressWindow::flushLayers() { toolkit::Transaction::flush(); }

void QDLPrintProgressWindow::close() {
  panel_->setDelegate(nullptr);
  ring_->stopAnimating();
  panel_->orderOut();
  panel_->close();
}

bool QDLPrintProgressWindow::windowShouldClose(toolkit::Window&) {
  const auto controller = controller_.lock();
  return controller ? controller->windowShouldClose() : true;
}

void linkProgressWindowIntoPlot() {
  vexBatchSetProgressWindowMaker([](const std::weak_ptr<VexBatchPrintProgressController>& controller) {
    return std::make_unique<QDLPrintProgressWindow>(controller);
  });
}
