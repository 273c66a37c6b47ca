#include "panels/lite_context.h"

#include <optional>
#include <string>

#include "cad/database.h"
#include "core/call_trace.h"
#include "core/host_bridge.h"
#include "foundation/format.h"

VexBatchLayoutSelectionRange gBatchLiteRange;

namespace {

// Where the selected area is valid: the drawing's context key and its current layout.
std::optional<std::string> gBatchLiteDrawingKey;
std::wstring gBatchLiteLayout;

std::string contextKey() {
  cad::HostApplicationServices* services = cad::acdbHostApplicationServices();
  const void* database = services != nullptr ? static_cast<const void*>(services->workingDatabase()) : nullptr;
  return foundation::format("%p:%@", database, vexBatchCurrentDrawingKey());
}

}  // namespace

void vexBatchLiteSyncContext() {
  const std::string key = contextKey();
  const std::wstring layout = vexBatchCurrentLayoutName();
  if (gBatchLiteDrawingKey == key && gBatchLiteLayout == layout) return;
  gBatchLiteRange = {};
  gBatchLiteDrawingKey = key;
  gBatchLiteLayout = layout;
}

void vexBatchLiteSaveRange(const VexBatchLayoutSelectionRange& range) {
  quodlTraceCall("vexBatchLiteSaveRange");
  vexBatchLiteSyncContext();
  gBatchLiteRange = range;
}

void vexBatchLiteUseAutomatic() { gBatchLiteRange = {}; }

void vexBatchLiteForgetContext() { gBatchLiteDrawingKey.reset(); }
