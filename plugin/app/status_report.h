#pragma once
// The status report of DUZOZAREDSTATUS, also printed after "DUZOZAREDEXEC=FAIL": a build line and one status
// line of key=value fields on the command line, never translated. The status line carries the build's
// feature tags, the counts of a fresh paper-space layout scan, whether a panel is visible, the last result
// of the plot pipeline and the state of the staged job.

// Runs a layout scan of the working drawing for its counts (which replaces the layout diagnostics and
// rewrites the candidate trace file) and changes nothing else. It cannot fail: without a drawing the three
// layout counts are 0.
void vexBatchPrintPrintStatus();
