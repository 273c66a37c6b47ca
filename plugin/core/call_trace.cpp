#include "core/call_trace.h"

QuodlCallTraceHook gQuodlCallTrace = nullptr;
