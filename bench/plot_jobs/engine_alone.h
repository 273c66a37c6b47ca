#pragma once
// The publish engine alone, as the plot benchmarks compare the plug-in's jobs with it.

#include <cstddef>
#include <string>
#include <vector>

#include "plot/prepared_page.h"

// From the engine's creation to its destruction: one document of `count` pages from `first`, into `file`.
bool plotWithEngine(std::vector<VexBatchPrintPreparedPage>& prepared, std::size_t first, std::size_t count,
                    const std::string& file);
