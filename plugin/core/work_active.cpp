#include "core/work_active.h"

#include "panels/lite_panel.h"
#include "queue/file_queue_state.h"

bool vexBatchPrintWorkActive() { return gBatchFileQueueRunning || gBatchLitePrinting; }
