// Which frame recognition is in force, as the full panel shows it: its button marked, its text on the status label.

#include <string>

#include "foundation/format.h"
#include "panels/batch_print_panel_controller.h"
#include "recognition/recognition_state.h"
#include "toolkit/text_field.h"
#include "ui/localisation.h"
#include "ui/modern_button.h"

void VexBatchPrintPanelController::updateRecognitionStatus() {
  const char* active = "automatic";
  std::string status = QDLT("自动识别");
  switch (gBatchFrameRecognitionMode) {
    case VexBatchFrameRecognitionDesignatedLayer:
      active = "pickLayer";
      status = foundation::format(QDLT("选择图层：%@"), gBatchDesignatedFrameLayer);
      break;
    case VexBatchFrameRecognitionPickedEntities:
      active = "pickFrames";
      status = foundation::format(QDLT("只打印点选范围：%ld 个对象"),
                                  static_cast<long>(gBatchSelectedFrameEntityIds.size()));
      break;
    case VexBatchFrameRecognitionDesignatedBlock:
      active = "pickBlock";
      status = foundation::format(QDLT("选择图块：%@"), gBatchDesignatedFrameBlock);
      break;
    default:
      break;
  }
  if (workspace_) {
    for (const char* key : {"automatic", "pickLayer", "pickBlock", "pickFrames"}) {
      const auto it = workspace_->controls().find(key);
      if (it == workspace_->controls().end()) continue;
      if (auto* button = dynamic_cast<QDLModernButton*>(it->second.get())) {
        button->setPrimary(std::string(key) == active);
        button->setNeedsDisplay(true);
      }
    }
  }
  if (gBatchLayoutSelectionRange.active) {
    status += foundation::format(QDLT("；已限定%@框选范围"),
                                 gBatchLayoutSelectionRange.kind == VexBatchPrintSourceModel ? QDLT("模型")
                                                                                              : QDLT("布局"));
  }
  recognitionStatusLabel_->setStringValue(status);
}
