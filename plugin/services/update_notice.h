#pragma once
// The update notice's entry points used by the plug-in's start-up, unload and DUZOZAREDUPDATE. They do
// nothing yet: the update-notice service (release-manifest check and new-version window) fills them.

// Called once at load: derives the host year from ACADVER and starts the notice with the version text,
// which schedules the first check.
void vexBatchPrintUpdatesStart();
// Checks for a new release at once, as a check the user asked for (no once-a-day limit).
void qdl_updates_check();
// Called at unload: stops the notice, its timer, network task and window.
void qdl_updates_shutdown();
