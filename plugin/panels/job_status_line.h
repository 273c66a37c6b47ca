#pragma once
// The full panel's status line about its print job, composed in this one place: after a run has stopped, why it
// stopped; then, while a job of this drawing is left, how far it got and that it can be resumed. Each part is a
// sentence of its own, ended and spaced as the interface language writes sentences.

#include <string>

struct VexBatchPrintPendingJob;

// `outcome` is empty after a reload (nothing has just stopped); `left` is null when nothing can be resumed.
std::string vexBatchJobStatusLine(const std::string& outcome, const VexBatchPrintPendingJob* left);
