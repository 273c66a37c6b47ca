#pragma once
// One page made ready for the publish engine: its own copy of the layout's plot settings switched to the PDF
// device, medium, plot area and plot style, and the plot info the host validated. For a window page it also
// records where the window lands on the validated paper, for fitting the PDF page to its exact paper later.

#include <memory>
#include <string>

#include "cad/plot/plot_info.h"
#include "cad/plot/plot_settings.h"
#include "pdf/page_geometry.h"

struct VexBatchPrintPreparedPage {
  quodl::PdfPlotWindow window;  // all zero for a whole layout
  std::wstring name;            // shown in progress and traces
  std::wstring layoutName;      // made current before the page is plotted
  // Declared so that they go in the order plotInfo, repairedSettings, settings: the plot info refers to both.
  std::unique_ptr<cad::PlotSettings> settings;
  std::unique_ptr<cad::PlotSettings> repairedSettings;  // set when the plot-style check rebuilt the validated ones
  std::unique_ptr<cad::PlotInfo> plotInfo;
};
