#pragma once
// The compact panel's commands and drawing context: the one compact window, shown by DUZOZAREDLITE and by
// core's show paths, its actions carried out (host commands queued, folder chosen, range forgotten), and the
// area the user selected for it, kept only while the same drawing and layout stay current. Main thread only;
// nothing here touches the drawing.

#include <memory>
#include <string>

#include "panels/lite_context.h"

class QDLLitePanel;

// The one compact window; null until first shown and again after unload.
extern std::unique_ptr<QDLLitePanel> gBatchLitePanel;
// The export's output folder; empty: the export asks. Kept until unload, whatever drawing is current.
extern std::string gBatchLiteOutput;

// Handler of DUZOZAREDLITE: shows the compact panel for the current drawing and stores the compact choice;
// nothing while work is active.
void vexBatchPrintLiteShow();
// Brings the option row, enabled states, plot-style list (with reloadStyles) and status line up to date.
void vexBatchLiteRefresh(bool reloadStyles);
// Orders the compact panel's window out (nothing when it does not exist).
void vexBatchLiteHide();
bool vexBatchLiteVisible();
// Refills gBatchPrintRangeTargets with one area per page the compact export would write, numbered by output
// index; pages without extent give none.
void vexBatchLitePrepareRangeTargets();
// The action handler the window reports to.
void vexBatchLiteHandleAction(const std::string& key);
// At unload: orders the window out, closes and releases it.
void vexBatchLiteShutdown();
// The status line of the compact panel; nothing without a panel.
void vexBatchLiteSetStatus(const std::string& text);
