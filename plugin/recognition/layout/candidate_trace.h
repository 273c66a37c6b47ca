#pragma once
// The layout scan's candidate trace: the lines it keeps in gBatchLayoutCandidateTrace and the text file it
// rewrites at the end of every scan. Numbers are written as a wide output stream writes them by default (six
// significant digits, fixed or scientific, whichever is shorter), whatever the process locale.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "recognition/layout/layout_candidates.h"
#include "recognition/layout/layout_geometry.h"

// "quodl-layout-candidates.txt" in the temporary folder ($TMPDIR, else /tmp): a session given a folder of its
// own keeps its trace from another's.
[[nodiscard]] std::string vexBatchLayoutCandidateTracePath();

// "entity type=<class> box=<w>x<h> center=<cx>,<cy> plottable=<1|0>"
[[nodiscard]] std::wstring vexBatchEntityTraceLine(std::wstring_view type, const VexBatchBox& box, bool plottable);
// "candidate source=<source> box=<w>x<h> center=<cx>,<cy> plottable=<1|0> viewports=<n> evidence=<m>"
[[nodiscard]] std::wstring vexBatchCandidateTraceLine(const EnclosingRectangle& rectangle, std::uint64_t viewports,
                                                      std::uint64_t evidence);
// "final region=<layout> box=<w>x<h> center=<cx>,<cy> exact=<1|0>"
[[nodiscard]] std::wstring vexBatchFinalRegionTraceLine(const VexBatchPrintLayoutRecord& record);

// The whole file in UTF-8, each line ending in "\n": the version line, the counts line, the trace lines, and
// a "final region=" line for each window record in list order (whole-layout records have none).
[[nodiscard]] std::string vexBatchCandidateTraceFileText(std::uint64_t finalNestedExcluded,
                                                         const std::vector<VexBatchPrintLayoutRecord>& records,
                                                         const std::vector<std::wstring>& trace);

// Replaces the file's content with `text`. The file sits in a folder that every user may write to, so it is
// created for the user alone and an existing name is written only when it is a regular file of this user
// with no other name: never through a symbolic link, a hard link, a device or a pipe. False when nothing
// was written.
bool vexBatchWriteCandidateTraceFile(const std::string& path, std::string_view text);
