#include "core/panel_lifecycle.h"

#include <optional>
#include <string>

#include "core/call_trace.h"
#include "core/host_bridge.h"
#include "core/panel_handoffs.h"
#include "core/range_overlay.h"
#include "core/work_active.h"
#include "foundation/main_queue.h"
#include "foundation/user_defaults.h"

bool vexBatchWantsLite() {
  const foundation::UserDefaults& defaults = foundation::UserDefaults::standard();
  return defaults.hasKey("Quodline.LiteMode") && defaults.boolForKey("Quodline.LiteMode");
}

void vexBatchPrintPanelShow() {
  quodlTraceCall("vexBatchPrintPanelShow");
  if (vexBatchPrintWorkActive()) return;
  gBatchRangeOverlay.clear();
  // The compact panel's show puts the return window away itself.
  if (vexBatchWantsLite()) {
    showLitePanel();
    return;
  }
  runOnMainThread([] {
    hideReturnWindow();
    showFullPanel(true);
  });
}

void vexBatchPrintPanelReload() {
  quodlTraceCall("vexBatchPrintPanelReload");
  if (vexBatchPrintWorkActive()) return;
  if (vexBatchWantsLite()) {
    showLitePanel();
    return;
  }
  runOnMainThread([] {
    hideReturnWindow();
    showFullPanel(false);
  });
}

void vexBatchPrintPanelHide() {
  quodlTraceCall("vexBatchPrintPanelHide");
  runOnMainThread([] {
    hideFullPanel();
    hideLitePanel();
  });
}

void vexBatchPrintPanelShutdown() {
  quodlTraceCall("vexBatchPrintPanelShutdown");
  gBatchRangeOverlay.shutdown();
  closeFullPanel();
  closeReturnWindow();
  closeLitePanel();
}

void vexBatchPrintReturn() {
  quodlTraceCall("vexBatchPrintReturn");
  if (vexBatchPrintWorkActive()) return;
  // Where the user came from when the window was shown, whatever the choice is now.
  const bool lite = returnWindowLeadsToLite();
  runOnMainThread(hideReturnWindow);
  gBatchRangeOverlay.clear();
  foundation::UserDefaults::standard().setBool(lite, "Quodline.LiteMode");
  if (lite) {
    showLitePanel();
    return;
  }
  showFullPanelHome();
  vexBatchPrintPanelShow();
}

void vexBatchPrintProShow() {
  quodlTraceCall("vexBatchPrintProShow");
  if (vexBatchPrintWorkActive()) return;
  foundation::UserDefaults::standard().setBool(false, "Quodline.LiteMode");
  hideLitePanel();
  showFullPanelHome();
  vexBatchPrintPanelShow();
}

bool vexBatchPrintPanelIsVisible() {
  if (foundation::MainQueue::main().isMainThread()) return fullPanelVisible() || litePanelVisible();
  bool visible = false;
  static_cast<void>(foundation::MainQueue::main().dispatchSync(
      [&visible] { visible = fullPanelVisible() || litePanelVisible(); }));
  return visible;
}

void vexBatchShowReturnPanel() {
  quodlTraceCall("vexBatchShowReturnPanel");
  runOnMainThread(showReturnWindow);
}

void vexBatchShowReturnPanelWithMessage(std::string_view title, std::string_view message) {
  quodlTraceCall("vexBatchShowReturnPanelWithMessage");
  auto text = [](std::string_view t) { return t.empty() ? std::nullopt : std::optional<std::string>(t); };
  runOnMainThread([title = text(title), message = text(message)] { showReturnWindowWithMessage(title, message); });
}

