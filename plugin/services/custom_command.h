#pragma once
// The user-chosen start command's entry points used by the plug-in's start-up, unload and DUZOZAREDCOMMAND.
// They do nothing yet: the custom start command service (its own command group and settings window) fills
// them.

// Called once at load: creates the command alias and registers the saved custom start command.
void qdl_command_settings_initialize();
// Called at unload before the plug-in's command group goes: removes the custom command's group and alias.
void qdl_command_settings_shutdown();
// Handler of DUZOZAREDCOMMAND: runs the settings window of the custom start command.
void qdl_command_settings_show();
