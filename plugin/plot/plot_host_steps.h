#pragma once
// Small host reads that page preparation makes: the model layout, a model-space window in the display
// coordinates the host plots windows in, and the drawing's file for the plot info.

#include "recognition/records.h"

namespace cad {
class PlotInfo;
}

// The layout of the working drawing whose plot settings are of model type: its identity into `layoutId`, its
// name into `sheetName` ("Model" when the host gives none). False without a working drawing, when the layout
// dictionary cannot be read or no layout is of model type.
[[nodiscard]] bool vexBatchFindModelLayout(VexBatchPrintLayoutRecord& record);

// The box's four corners from world to the current viewport's display coordinates; the result is their
// bounding box. False when a transform fails or the result is empty.
[[nodiscard]] bool vexBatchWorldWindowToDisplay(double minX, double minY, double maxX, double maxY, double& x0,
                                                double& y0, double& x1, double& y1);

// The working drawing's file, when it has one, as the plot info's original file.
void vexBatchSetPlotInfoOriginalPath(cad::PlotInfo* plotInfo);
