// The full panel's side of core's panel lifecycle, and the panel following the drawing the user works in: while
// it shows, another drawing brought to the front, the current drawing closed, or another layout or space made
// current turns its source to that space and reloads its rows once the host is idle again.

#include "cad/doc_manager.h"
#include "cad/editor.h"
#include "cad/registry.h"
#include "core/host_bridge.h"
#include "core/work_active.h"
#include "foundation/main_queue.h"
#include "panels/batch_print_panel_controller.h"
#include "toolkit/application.h"
#include "toolkit/segmented_control.h"
#include "ui/application_panel.h"

#include <cwchar>

namespace {

// The source the user works in; left as it is when the space cannot be told (no drawing).
void followCurrentSpace(VexBatchPrintPanelController& panel) {
  const std::int64_t space = vexBatchPrintSourceForCurrentSpace();
  if (space == 0 || space == 1) panel.sourceMode()->setSelectedSegment(static_cast<long>(space));
}

class DrawingFollower final : public cad::DocManagerReactor, public cad::EditorReactor {
 public:
  DrawingFollower() {
    cad::SystemRegistry* registry = cad::acrxSysRegistry();
    editor_ = registry != nullptr ? dynamic_cast<cad::Editor*>(registry->at(L"AcEditor")) : nullptr;
    documents_ = cad::acDocManagerPtr();
    if (editor_ != nullptr) editor_->addReactor(this);
    if (documents_ != nullptr) documents_->addReactor(this);
  }
  ~DrawingFollower() override {
    if (editor_ != nullptr) editor_->removeReactor(this);
    if (documents_ != nullptr) documents_->removeReactor(this);
    foundation::MainQueue::main().cancelAll(this);
  }
  DrawingFollower(const DrawingFollower&) = delete;
  DrawingFollower& operator=(const DrawingFollower&) = delete;

  void documentBecameCurrent(cad::Document*) override { follow(); }
  void documentDestroyed(const wchar_t*) override { follow(); }
  void sysVarChanged(const wchar_t* name, bool success) override {
    if (success && (std::wcscmp(name, L"CTAB") == 0 || std::wcscmp(name, L"TILEMODE") == 0)) follow();
  }

 private:
  // One reload for however many changes arrive before the host is idle.
  void follow() {
    if (pending_) return;
    pending_ = true;
    foundation::MainQueue::main().dispatchAsync(
        [this] {
          pending_ = false;
          if (!gBatchPrintPanelController || vexBatchPrintWorkActive()) return;
          VexBatchPrintPanelController& panel = *gBatchPrintPanelController;
          if (!panel.panel()->isVisible()) return;
          followCurrentSpace(panel);
          panel.reloadFromActiveDrawing();
        },
        this);
  }

  cad::Editor* editor_ = nullptr;
  cad::DocManager* documents_ = nullptr;
  bool pending_ = false;
};

std::unique_ptr<DrawingFollower>& follower() {
  static std::unique_ptr<DrawingFollower> instance;
  return instance;
}

}  // namespace

void vexBatchFullPanelShow(bool followSpace) {
  VexBatchPrintPanelController& controller = ensureBatchPrintPanel();
  if (!follower()) follower() = std::make_unique<DrawingFollower>();
  if (followSpace) followCurrentSpace(controller);
  controller.reloadFromActiveDrawing();
  if (followSpace) toolkit::Application::shared().activateIgnoringOtherApps(true);
  controller.panel()->makeKeyAndOrderFront();
  controller.panel()->layoutIfNeeded();
  controller.updateTableColumnWidths();
}

void vexBatchFullPanelHide() {
  if (gBatchPrintPanelController) gBatchPrintPanelController->panel()->orderOut();
}

bool vexBatchFullPanelVisible() {
  return gBatchPrintPanelController && gBatchPrintPanelController->panel()->isVisible();
}

void vexBatchFullPanelShowHome() { ensureBatchPrintPanel().workspace()->showPage(0); }

void vexBatchFullPanelShutdown() {
  follower().reset();
  if (!gBatchPrintPanelController) return;
  QDLApplicationPanel& window = *gBatchPrintPanelController->panel();
  window.setDelegate(nullptr);
  window.orderOut();
  window.close();
  gBatchPrintPanelController.reset();
}
