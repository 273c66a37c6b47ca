#pragma once
// The update notice's entry points used by the plug-in's start-up, unload and DUZOZAREDUPDATE.

// Called once at load: derives the host year from ACADVER and starts the notice with the plug-in's version,
// which schedules the first check.
void vexBatchPrintUpdatesStart();
// Checks for a new release at once, as a check the user asked for (no once-a-day limit); reports every outcome.
void qdl_updates_check();
// Called at unload: stops the notice, its timer, network request and window.
void qdl_updates_shutdown();
