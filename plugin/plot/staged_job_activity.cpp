#include "plot/staged_job_activity.h"

namespace {
int gRuns = 0;  // main thread only
}  // namespace

bool vexBatchStagedJobRunning() { return gRuns > 0; }

VexBatchStagedJobActivity::VexBatchStagedJobActivity() { ++gRuns; }

VexBatchStagedJobActivity::~VexBatchStagedJobActivity() { --gRuns; }
