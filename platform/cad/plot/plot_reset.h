#pragma once
// Test side: the plot services as a fresh host has them (devices, catalogues, validators, progress records,
// engine log and faults, the page renderer, font folders).

namespace cad {

void resetPlotServicesForTesting();

}  // namespace cad
