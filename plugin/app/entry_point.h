#pragma once
// The plug-in's one export. The host calls it with an application message (1 initialise, 2 unload, others
// acknowledged and ignored) and this application's identity; it answers 0, or 3 to refuse an unload while
// work is active.

extern "C" int acrxEntryPoint(int message, void* appId);
