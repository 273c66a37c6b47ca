#pragma once
// The full panel's controller. The batch-print panels subsystem defines the class; until it does, nothing
// creates one and the pointer stays null.

class VexBatchPrintPanelController;

// The one full-panel controller, null until the panel is first shown and again after unload.
extern VexBatchPrintPanelController* gBatchPrintPanelController;
