#include "panels/lite_panel.h"

#include <cwchar>
#include <optional>

#include "cad/database.h"
#include "cad/doc_manager.h"
#include "cad/editor.h"
#include "cad/registry.h"
#include "core/call_trace.h"
#include "core/host_bridge.h"
#include "core/print_area_marks.h"
#include "core/range_overlay.h"
#include "core/work_active.h"
#include "foundation/format.h"
#include "foundation/main_queue.h"
#include "foundation/paths.h"
#include "foundation/user_defaults.h"
#include "panels/batch_print_panel_controller.h"
#include "panels/host_change_follower.h"
#include "panels/lite_context.h"
#include "panels/lite_pages.h"
#include "panels/lite_work.h"
#include "panels/lite_panel_window.h"
#include "panels/return_controller.h"
#include "plot/plot_style_queries.h"
#include "toolkit/application.h"
#include "toolkit/beep.h"
#include "toolkit/button.h"
#include "toolkit/file_panels.h"
#include "toolkit/menu.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/text_field.h"
#include "ui/application_panel.h"
#include "ui/localisation.h"

std::unique_ptr<QDLLitePanel> gBatchLitePanel;
std::string gBatchLiteOutput;

namespace {

bool liteBusy() { return gBatchLitePrinting || vexBatchPrintWorkActive(); }

// The drawing's lines: file name and which sheets are taken.
void fillDrawingLines(QDLLitePanel& panel) {
  std::string name;
  if (!vexBatchHasActiveDocument()) {
    name = QDLL("未打开图纸", "No drawing open", "未開啟圖紙");
  } else {
    name = foundation::lastPathComponent(vexBatchNSString(vexBatchCurrentDrawingPath()));
    if (name.empty()) name = QDLL("未保存图纸", "Unsaved drawing", "未儲存圖紙");
  }
  panel.filename()->setStringValue(name);
  panel.selection()->setStringValue(gBatchLiteRange.active
                                        ? QDLL("已限定框选范围", "Selected area only", "已限定框選範圍")
                                        : QDLL("自动识别图框", "Automatic frame detection", "自動識別圖框"));
}

// While the compact window shows, its lines are refilled once the host is idle again after a change.
void refillShownLitePanel() {
  if (!gBatchLitePanel || liteBusy() || !gBatchLitePanel->panel()->isVisible()) return;
  vexBatchLiteSyncContext();
  fillDrawingLines(*gBatchLitePanel);
  vexBatchLiteRefresh(true);
}

std::unique_ptr<HostChangeFollower>& follower() {
  static std::unique_ptr<HostChangeFollower> instance;
  return instance;
}

void chooseOutputFolder() {
  toolkit::OpenPanel open;
  open.setCanChooseFiles(false);
  open.setCanChooseDirectories(true);
  open.setCanCreateDirectories(true);
  open.setAllowsMultipleSelection(false);
  if (open.runModal() != toolkit::kModalResponseOK || open.URL().empty()) return;
  gBatchLiteOutput = open.URL();
}

void popUpSettings(QDLLitePanel& panel) {
  std::shared_ptr<toolkit::Menu> menu = panel.settingsMenu();
  const toolkit::Event* event = toolkit::Application::shared().currentEvent();
  // Without an event (a script, accessibility) the menu opens at the settings button.
  toolkit::View* at = event != nullptr ? panel.panel()->contentView().get()
                                       : static_cast<toolkit::View*>(panel.button("settings"));
  static_cast<void>(toolkit::Menu::popUpContextMenu(*menu, event, at));
}

// Hides the panel for a command that works in the drawing; shows it again when the host refuses the command.
void hideAndQueue(const char* command) {
  vexBatchLiteHide();
  if (!queueCommand(command)) vexBatchPrintLiteShow();
}

}  // namespace

void vexBatchPrintLiteShow() {
  quodlTraceCall("vexBatchPrintLiteShow");
  if (liteBusy()) return;
  gBatchRangeOverlay.clear();
  vexBatchLiteSyncContext();
  static_cast<void>(foundation::UserDefaults::standard().setBool(true, "Quodline.LiteMode"));
  if (gBatchPrintPanelController) gBatchPrintPanelController->panel()->orderOut();
  vexBatchReturnWindowHide();
  if (!gBatchLitePanel) {
    gBatchLitePanel = std::make_unique<QDLLitePanel>();
    gBatchLitePanel->setActionHandler(vexBatchLiteHandleAction);
  }
  // A new drawing may get a closed one's address, and with it its key: the selected area goes with its drawing.
  if (!follower()) follower() = std::make_unique<HostChangeFollower>(refillShownLitePanel, vexBatchLiteForgetContext);
  QDLLitePanel& panel = *gBatchLitePanel;
  panel.applyLanguage();
  fillDrawingLines(panel);
  vexBatchLiteRefresh(true);
  panel.panel()->makeKeyAndOrderFront();
  // The window's own relocalising walk gives every button its title as accessibility label; the texts of this
  // panel (two of its buttons speak by their tooltips) are set again over it.
  panel.applyLanguage();
}

void vexBatchLiteRefresh(bool reloadStyles) {
  if (!gBatchLitePanel) return;
  QDLLitePanel& panel = *gBatchLitePanel;
  panel.setProOptionsVisible(true);
  const bool usable = vexBatchHasActiveDocument() && !liteBusy();
  if (reloadStyles && usable) panel.reloadPlotStyles(vexBatchAvailablePlotStyles(false), vexBatchUsesNamedPlotStyles());
  panel.paperMode()->setEnabled(usable);
  panel.plotStyleMode()->setEnabled(usable);
  panel.mergePDF()->setEnabled(usable);
  // A queued export has its folder already: a second one would write another.
  panel.output()->setEnabled(usable && !vexBatchLiteExportQueued());
  for (const char* key : {"automatic", "range", "showRanges"}) panel.button(key)->setEnabled(usable);
  panel.status()->setStringValue(QDLLiteWantsMergedOutput(true) ? QDLL("合并为一个 PDF", "One merged PDF", "合併為一個 PDF")
                                                                 : QDLL("独立 PDF", "Separate PDFs", "獨立 PDF"));
}

void vexBatchLiteHide() {
  quodlTraceCall("vexBatchLiteHide");
  if (gBatchLitePanel) gBatchLitePanel->panel()->orderOut();
}

bool vexBatchLiteVisible() { return gBatchLitePanel && gBatchLitePanel->panel()->isVisible(); }

void vexBatchLitePrepareRangeTargets() {
  quodlTraceCall("vexBatchLitePrepareRangeTargets");
  gBatchPrintRangeTargets.clear();
  for (const VexBatchPrintPageSpec& page : vexBatchCollectLitePages()) {
    if (!(page.maxX > page.minX && page.maxY > page.minY)) continue;
    VexBatchFocusTarget target;
    target.source = page.source;
    target.layoutName = page.layoutName;
    target.minX = page.minX;
    target.minY = page.minY;
    target.maxX = page.maxX;
    target.maxY = page.maxY;
    target.pending = true;
    target.number = page.outputIndex;
    gBatchPrintRangeTargets.push_back(std::move(target));
  }
}

void vexBatchLiteHandleAction(const std::string& key) {
  if (liteBusy() || !gBatchLitePanel) return;
  if (key == "mergeMode") {
    vexBatchLiteRefresh(false);
  } else if (key == "pro") {
    static_cast<void>(queueCommand("DUZOZAREDPRO"));
  } else if (key == "settings") {
    popUpSettings(*gBatchLitePanel);
  } else if (key == "language") {
    vexBatchPrintLiteShow();
  } else if (key == "folder") {
    chooseOutputFolder();
  } else if (key == "output") {
    vexBatchLiteQueueExport();
    vexBatchLiteRefresh(false);  // the export button waits for the queued export
  } else if (key == "automatic") {
    vexBatchLiteUseAutomatic();
    vexBatchPrintLiteShow();
  } else if (key == "range") {
    hideAndQueue("DUZOZAREDSELECTRANGE");
  } else if (key == "showRanges") {
    hideAndQueue("DUZOZAREDSHOWRANGES");
  }
}

void vexBatchLiteShutdown() {
  follower().reset();
  if (!gBatchLitePanel) return;
  QDLApplicationPanel& window = *gBatchLitePanel->panel();
  window.setDelegate(nullptr);
  window.orderOut();
  window.close();
  gBatchLitePanel.reset();
}

void vexBatchLiteSetStatus(const std::string& text) {
  if (gBatchLitePanel) gBatchLitePanel->status()->setStringValue(text);
}
