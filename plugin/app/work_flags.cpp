#include "app/work_flags.h"

#include "panels/lite_export.h"
#include "queue/file_queue_state.h"

bool vexBatchPrintWorkFlagsSet() { return gBatchFileQueueRunning || gBatchLitePrinting; }
