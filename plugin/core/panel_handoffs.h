#pragma once
// The batch-print panels' services that core's commands hand their results to. The panels stand above core
// and link themselves in when the plug-in starts; until then a hand-off goes nowhere.

#include <functional>
#include <optional>
#include <string>

#include "core/picked_range.h"
#include "core/print_source.h"

struct PanelHandoffs {
  // The full panel, created on first use: shown reloaded from the current drawing, made key and its columns
  // fitted (with `followSpace`, its source set to the space the user works in and the application brought to
  // the front); ordered out; whether it shows; its batch-print page shown; and at unload closed and released.
  std::function<void(bool followSpace)> showFull;
  std::function<void()> hideFull;
  std::function<bool()> fullVisible;
  std::function<void()> showFullHome;
  std::function<void()> closeFull;
  // Orders the compact panel's window out.
  std::function<void()> hideLite;
  // Whether the compact panel's window shows; at unload, its window closed and released.
  std::function<bool()> liteVisible;
  std::function<void()> closeLite;
  // Shows the compact panel for the current drawing.
  std::function<void()> showLite;
  // Takes the range as the compact panel's own, forgetting an older one of another drawing or layout.
  std::function<void(const PickedRange& range)> saveLiteRange;
  // Refills gBatchPrintRangeTargets with the areas of the pages the compact panel would export.
  std::function<void()> prepareLiteRangeTargets;
  // Creates the full panel when it is missing, adds the frame as a new checked row (the corners as picked,
  // in either order; the layout name as a system string, empty in model space), and brings the application
  // and the panel to the front. Main thread only.
  std::function<void(VexBatchPrintSource source, const std::string& layoutName, double minX, double minY, double maxX,
                     double maxY)>
      addManualFrame;
  // The return window, created on first use: shown with the texts of a located sheet, or with these
  // (translated; nullopt stands for its default); where it leads back to (the compact panel or not, false
  // without a window); ordered out; and at unload closed and released.
  std::function<void()> showReturn;
  std::function<void(const std::optional<std::string>& title, const std::optional<std::string>& message)>
      showReturnWithMessage;
  std::function<bool()> returnToLite;
  std::function<void()> hideReturn;
  std::function<void()> closeReturn;
};

void setPanelHandoffs(PanelHandoffs handoffs);

// The hand-offs; each does nothing (or answers false) while the panels have not linked themselves in.
void showFullPanel(bool followSpace);
void hideFullPanel();
bool fullPanelVisible();
void showFullPanelHome();
void closeFullPanel();
void hideLitePanel();
bool litePanelVisible();
void closeLitePanel();
void showLitePanel();
void saveLiteRange(const PickedRange& range);
void prepareLiteRangeTargets();
void addManualFrameToPanel(VexBatchPrintSource source, const std::string& layoutName, double minX, double minY,
                           double maxX, double maxY);
void showReturnWindow();
void showReturnWindowWithMessage(const std::optional<std::string>& title, const std::optional<std::string>& message);
bool returnWindowLeadsToLite();
void hideReturnWindow();
void closeReturnWindow();
