#pragma once
// The progress window of a plot job: a small dark panel with the ring, the stage or page line, the sheet name,
// the pages-processed line and the cancel button, which Escape and the close button reach too. It shows what its
// controller (in the plot pipeline) tells it and hands the user's cancel and close back to it. Main thread only.

#include <memory>

#include "plot/progress_controller.h"
#include "toolkit/window.h"

namespace toolkit {
class Button;
class TextField;
}  // namespace toolkit

class QDLApplicationPanel;
class QDLPrintProgressRing;

class QDLPrintProgressWindow final : public VexBatchPrintProgressWindow, public toolkit::WindowDelegate {
 public:
  // The window, not shown, its lines empty: the controller sets every text. Scripts find it as "printProgress"
  // and its cancel button as "cancelPrinting".
  explicit QDLPrintProgressWindow(std::weak_ptr<VexBatchPrintProgressController> controller);
  ~QDLPrintProgressWindow() override;

  void present() override;
  void setStageText(const std::string& text) override;
  void setDetailText(const std::string& text) override;
  void setDetailToolTip(const std::string& text) override;
  void setCompletedText(const std::string& text) override;
  void setRingProgress(std::int64_t completed, std::int64_t total) override;
  void showRingSuccess() override;
  void setCancelEnabled(bool enabled) override;
  void display() override;
  void flushLayers() override;
  void close() override;

  // The close button asks the controller, which never lets the window close by itself.
  bool windowShouldClose(toolkit::Window& window) override;

  const std::shared_ptr<QDLApplicationPanel>& panel() const { return panel_; }
  const std::shared_ptr<toolkit::TextField>& pageLabel() const { return pageLabel_; }
  const std::shared_ptr<toolkit::TextField>& detailLabel() const { return detailLabel_; }
  const std::shared_ptr<toolkit::TextField>& completedLabel() const { return completedLabel_; }
  const std::shared_ptr<QDLPrintProgressRing>& ring() const { return ring_; }
  const std::shared_ptr<toolkit::Button>& cancelButton() const { return cancelButton_; }

 private:
  std::weak_ptr<VexBatchPrintProgressController> controller_;
  std::shared_ptr<QDLApplicationPanel> panel_;
  std::shared_ptr<toolkit::TextField> pageLabel_;
  std::shared_ptr<toolkit::TextField> detailLabel_;
  std::shared_ptr<toolkit::TextField> completedLabel_;
  std::shared_ptr<QDLPrintProgressRing> ring_;
  std::shared_ptr<toolkit::Button> cancelButton_;
};

// Makes every new progress controller of the plot pipeline build this window; the module calls it at start-up.
void linkProgressWindowIntoPlot();
