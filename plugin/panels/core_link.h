#pragma once
// Serves core's commands, which stand below the panels: the full panel's window and manual frames, the compact
// panel's range and pages, and the return window.

// Installs the panels' side of core's hand-offs; the module calls it at start-up.
void linkPanelsIntoCore();
