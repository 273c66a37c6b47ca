#pragma once
// The return window: while the user looks at what a panel asked for in the drawing (a located sheet, the marked
// print areas, a preview), it says what happened and offers the way back to the batch-print panel the user came
// from. Its button and its close button both ask for DUZOZAREDRETURN; the window never closes itself. Core
// creates the one instance on first use, reads where to return to, and releases it at unload. Main thread only.

#include <memory>
#include <optional>
#include <string>

#include "toolkit/window.h"

namespace toolkit {
class Button;
class TextField;
}  // namespace toolkit

class QDLApplicationPanel;

class VexBatchPrintReturnController final : public toolkit::WindowDelegate {
 public:
  // The window, not shown. Scripts find it as "batchPrintReturn" and its button as "returnToBatchPanel".
  VexBatchPrintReturnController();
  ~VexBatchPrintReturnController() override;
  VexBatchPrintReturnController(const VexBatchPrintReturnController&) = delete;
  VexBatchPrintReturnController& operator=(const VexBatchPrintReturnController&) = delete;

  // What locating a sheet shows: "frame located".
  void show();
  // Texts already translated; nullopt stands for the product's name as title and the plain way-back message.
  // Remembers the panel chosen now, and brings the window to the front.
  void showWithTitle(const std::optional<std::string>& title, const std::optional<std::string>& message);
  // Asks the host for DUZOZAREDRETURN. With no drawing open there is nothing to queue it to: the window then
  // goes and the way back is taken at once.
  void returnToBatchPanel();
  // Refuses, and goes back as the button does.
  bool windowShouldClose(toolkit::Window& window) override;

  // The panel choice when the window was last shown; false before.
  bool returnToLite() const { return returnToLite_; }
  const std::shared_ptr<QDLApplicationPanel>& panel() const { return panel_; }
  const std::shared_ptr<toolkit::TextField>& messageLabel() const { return messageLabel_; }
  const std::shared_ptr<toolkit::Button>& returnButton() const { return returnButton_; }

 private:
  std::shared_ptr<QDLApplicationPanel> panel_;
  std::shared_ptr<toolkit::TextField> messageLabel_;
  std::shared_ptr<toolkit::Button> returnButton_;
  bool returnToLite_ = false;
};

// The one return window, null until first shown and again after unload.
extern std::unique_ptr<VexBatchPrintReturnController> gBatchPrintReturnController;

// What core's commands do with it (through the hand-offs the panels install): show it, creating it on first use;
// tell where to return (false without one); order it out; and at unload close and release it.
void vexBatchReturnWindowShow();
void vexBatchReturnWindowShowWithTitle(const std::optional<std::string>& title,
                                       const std::optional<std::string>& message);
bool vexBatchReturnWindowWantsLite();
void vexBatchReturnWindowHide();
void vexBatchReturnWindowShutdown();
