#include "services/custom_command.h"

#include "core/call_trace.h"

void qdl_command_settings_initialize() { quodlTraceCall("qdl_command_settings_initialize"); }

void qdl_command_settings_shutdown() { quodlTraceCall("qdl_command_settings_shutdown"); }

void qdl_command_settings_show() { quodlTraceCall("qdl_command_settings_show"); }
