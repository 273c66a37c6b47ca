#include "cad/plot_state.h"

#include <atomic>

namespace cad {

namespace {
std::atomic<bool> gPlotting{false};
}

int acplProcessPlotState() { return gPlotting.load() ? 1 : 0; }

void setProcessPlotState(bool plotting) { gPlotting.store(plotting); }

}  // namespace cad
