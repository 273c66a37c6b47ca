#pragma once
// The plug-in's work files beside its outputs, "<prefix><UUID>.pdf": the plot run's, the merge's and the
// normalisation's. A start after a killed host removes those its ended process left (foundation/work_file.h).

namespace quodl {

inline constexpr char kPlotWorkPrefix[] = "Plotting-";
inline constexpr char kMergeWorkPrefix[] = "Merge-";
inline constexpr char kNormalizeWorkPrefix[] = "Normalize-";
inline constexpr char kWorkFileSuffix[] = ".pdf";

}  // namespace quodl
