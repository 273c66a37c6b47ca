#pragma once
// The picking commands: they ask the user in the drawing for a frame layer, frames, a frame block, a print
// range or a manual frame, and hand the result on. A pick either changes the recognition settings and reloads
// the panel, or gives the frame to the full panel; every failure and cancellation says why on the command
// line, changes no setting and shows the panel again. They run inside their host commands, on the main thread.

#include "core/print_source.h"

namespace cad {
class Entity;
}  // namespace cad

// The space the next interaction works in. The panels set them before they queue the command; the range
// selection sets its own when the compact panel is in use.
extern VexBatchPrintSource gBatchInteractionSource;  // the layer, frame and block picks
extern VexBatchPrintSource gBatchRangeSource;        // the range selection
extern VexBatchPrintSource gBatchManualSource;       // the manual frame

// DUZOZAREDPICKLAYER: recognise frames on the layer of a picked entity.
void vexBatchPrintPickLayer();
// DUZOZAREDPICKFRAMES: recognise only the selected block references and rectangles.
void vexBatchPrintPickFrames();
// DUZOZAREDPICKBLOCK: recognise every reference of the picked reference's block.
void vexBatchPrintPickBlock();
// DUZOZAREDSELECTRANGE: limit the full panel's list, or the compact panel, to a range of two corners.
void vexBatchPrintSelectRange();
// DUZOZAREDADDFRAME: add a frame of two corners to the full panel by hand.
void vexBatchPrintAddManualFrame();

// Makes the space of the interaction current: "Model" for model space; otherwise the paper space of the layout
// that is current, never another layout. False when that cannot be done (the Model tab is current, or TILEMODE
// cannot be read).
bool vexBatchActivateInteractionSpace(VexBatchPrintSource source);
// The frame pick's test: on a layer that is allowed, any block reference, or a closed curve other than a line
// that fills its axis-aligned extents of more than one unit a side to within 0.5 %.
bool vexBatchSelectableFrameEntity(const cad::Entity* entity);
