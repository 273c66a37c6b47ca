#pragma once
// Whether a staged print job or preview is being run by its host command at this moment. The panels refuse to
// stage, resume, preview or rescan while it is: the run's progress window pumps window events between pages,
// and a job staged then would be overwritten by the run's own copy.

// True between the start and the end of a run of DUZOZAREDEXEC or DUZOZAREDPREVIEW.
[[nodiscard]] bool vexBatchStagedJobRunning();

// Marks a run for the lifetime of the object; runs may nest.
class VexBatchStagedJobActivity {
 public:
  VexBatchStagedJobActivity();
  ~VexBatchStagedJobActivity();
  VexBatchStagedJobActivity(const VexBatchStagedJobActivity&) = delete;
  VexBatchStagedJobActivity& operator=(const VexBatchStagedJobActivity&) = delete;
};
