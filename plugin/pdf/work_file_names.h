#pragma once
// The plug-in's work items, "<prefix><UUID><suffix>": the plot run's, the merge's and the normalisation's files
// beside their outputs, and the isolated pages' folder. A start after a killed host removes those its ended
// process left (foundation/work_file.h).

namespace quodl {

inline constexpr char kPlotWorkPrefix[] = "Plotting-";
inline constexpr char kMergeWorkPrefix[] = "Merge-";
inline constexpr char kNormalizeWorkPrefix[] = "Normalize-";
inline constexpr char kWorkFileSuffix[] = ".pdf";
// The folder of one-page PDFs that a merge of isolated pages joins, in the temporary folder; no suffix.
inline constexpr char kIsolatedPagesPrefix[] = "quodline-isolated-";

}  // namespace quodl
