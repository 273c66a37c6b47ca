#pragma once
// The picking commands: they ask the user in the drawing for a frame layer, frames, a frame block, a print
// range or a manual frame, and hand the result to the panel. They do nothing yet: the picking commands are
// built with the recognition settings they write.

void vexBatchPrintAddManualFrame();
void vexBatchPrintPickLayer();
void vexBatchPrintPickFrames();
void vexBatchPrintPickBlock();
void vexBatchPrintSelectRange();
