#pragma once
// The status report of DUZOZAREDSTATUS: a build line and a status line on the command line. Does nothing
// yet: the status report is built with the layout scan it runs.

void vexBatchPrintPrintStatus();
