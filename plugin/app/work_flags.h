#pragma once
// The work-active test over the flags of the drawing-file queue and the compact panel, which core asks
// through the test the entry point installs.

bool vexBatchPrintWorkFlagsSet();
