#pragma once
// The work-active test: true while a drawing-file queue run or a compact export is active. While it holds,
// panels stay as they are, staged jobs do not start and the plug-in refuses to unload.
//
// Its two flags belong to the drawing-file queue and the compact panel, which stand above core; the module's
// top installs the test that reads them when the plug-in starts. Until then no work can be active.

bool vexBatchPrintWorkActive();

// Installs the test that vexBatchPrintWorkActive answers with; null restores "never active".
void vexBatchInstallWorkActiveTest(bool (*test)());
