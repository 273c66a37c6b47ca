#pragma once
// The full panel's controller. The batch-print panels subsystem defines the class; until it does, nothing
// creates one, the pointer stays null and what core hands to the panel is only recorded.

#include <string>

#include "core/print_source.h"

class VexBatchPrintPanelController;

// The one full-panel controller, null until the panel is first shown and again after unload.
extern VexBatchPrintPanelController* gBatchPrintPanelController;

// A frame added by hand: the full panel (created on first use) takes it as a new checked row, its two corners
// in either order and its layout name (empty in model space), and comes to the front with the application.
void addManualFrameToFullPanel(VexBatchPrintSource source, const std::string& layoutName, double minX, double minY,
                               double maxX, double maxY);
