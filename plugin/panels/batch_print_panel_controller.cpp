#include "panels/batch_print_panel_controller.h"

VexBatchPrintPanelController* gBatchPrintPanelController = nullptr;
