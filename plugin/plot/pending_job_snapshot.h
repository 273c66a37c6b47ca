#pragma once
// The staged print job on disk, "pending-job.json", so that a failed, cancelled or interrupted job can be
// resumed after a restart of the host. Written by the panel and the executor as the job advances, removed when
// it succeeds. Main thread.

#include <optional>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "plot/print_jobs.h"
#include "recognition/page_spec.h"

// Where the snapshot lives: the plug-in's own folder in the user's application-support folder.
[[nodiscard]] std::string vexBatchPendingJobSnapshotPath();
// Where earlier versions kept it. A snapshot found there is read while the current place has none, and moved
// to the current place when it holds a job, so that it is read there once and then gone.
[[nodiscard]] std::string vexBatchLegacyPendingJobSnapshotPath();

// The JSON object of one page. Throws nothing; a text that is not valid Unicode makes the snapshot's writer fail.
[[nodiscard]] nlohmann::json vexBatchPendingPageDictionary(VexBatchPrintPageSpec const& page);

// Writes the active job with its pages and the state word ("pending" when none is given) through a work file
// that replaces the snapshot only when complete. False, with nothing changed on disk, for a job that is not
// active, has no pages or no output path, or when the file cannot be written; `error` (when given) then says
// why (the system's reason for a file that cannot be written).
[[nodiscard]] bool vexBatchWritePendingJobSnapshot(VexBatchPrintPendingJob const& job,
                                                   const std::optional<std::string>& state = std::nullopt,
                                                   std::string* error = nullptr);
// Replaces `job` with the snapshot's job, made active, and answers true when the snapshot holds a usable one;
// otherwise answers false and leaves `job` as it is. A snapshot it refuses (damaged, foreign, implausible, a link,
// another user's, pages that do not add up to its total) is moved aside beside it, never deleted, and the refusal
// is said once on the command line with its reason. An output the snapshot says was about to take its name and
// that is there, whole, counts as done (said on the command line); a job with nothing else left is finished: its
// snapshot is removed and the answer is false.
[[nodiscard]] bool vexBatchLoadPendingJobSnapshot(VexBatchPrintPendingJob& job);
// Deletes the snapshot at both places; what is not there, or is not a file, is left alone.
void vexBatchRemovePendingJobSnapshot();

// Whether the job belongs to the drawing that is open: a job of an unsaved drawing (no path) belongs to any;
// otherwise the paths, standardised, are compared without regard to case.
[[nodiscard]] bool vexBatchPendingJobMatchesCurrentDrawing(VexBatchPrintPendingJob const& job);
