#pragma once
// Whether the host is plotting: set by the plot services for the length of a plot, read by anyone who must
// not start work in the middle of one.

namespace cad {

// Non-zero while the host plots.
int acplProcessPlotState();
void setProcessPlotState(bool plotting);

}  // namespace cad
