#pragma once
// What the plot pipeline does to the full panel when a job or a preview ends. The panels stand above the plot
// pipeline and install these while the full panel's controller exists; until then each does nothing. The
// panel's status line is written through core's vexBatchUpdatePanelStatus.

#include <functional>
#include <string>

struct PlotPanelLink {
  std::function<void()> bringToFront;   // the panel's window key and in front
  std::function<void()> orderOut;       // the panel's window out of sight
  std::function<void()> disableResume;  // nothing is left to resume
  // Reload the unfinished job from its snapshot, and say in the status line first why the job stopped.
  std::function<void(const std::string& outcome)> refreshRecoveryState;
};

void setPlotPanelLink(PlotPanelLink link);

void plotPanelBringToFront();
void plotPanelOrderOut();
void plotPanelDisableResume();
void plotPanelRefreshRecoveryState(const std::string& outcome);
