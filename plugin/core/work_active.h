#pragma once
// The work-active test: true while a drawing-file queue run or a compact export is active. While it holds,
// panels stay as they are, staged jobs do not start and the plug-in refuses to unload.

bool vexBatchPrintWorkActive();
