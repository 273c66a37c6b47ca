#pragma once
// The print-area marks: DUZOZAREDSHOWRANGES shows numbered marks of the pending print areas. Does nothing
// yet: it is built with the range overlay that draws the marks.

void vexBatchPrintShowRanges();
