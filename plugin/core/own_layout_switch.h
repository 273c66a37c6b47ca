#pragma once
// The plug-in's own layout and space switches (a plot's pages, the restore of the user's layout after a plot, a
// preview or a compact export, a pick in the space it needs) all go through vexBatchActivateLayout, which marks
// them while the host makes them and tells its reactors. A reactor that follows the user's switches asks here.
// Main thread only.

// True while vexBatchActivateLayout switches; the host's notifications sent meanwhile are never the user's.
[[nodiscard]] bool vexBatchSwitchingLayoutItself();
