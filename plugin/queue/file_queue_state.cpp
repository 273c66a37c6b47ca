#include "queue/file_queue_state.h"

bool gBatchFileQueueRunning = false;
