#include "recognition/core_link.h"

#include <utility>

#include "core/recognition_link.h"
#include "recognition/predicates.h"
#include "recognition/recognition_state.h"

void linkRecognitionIntoCore() {
  RecognitionLink link;
  link.entityLayer = vexBatchEntityLayer;
  link.entityLayerIsAllowed = vexBatchEntityLayerIsAllowed;
  link.blockReferenceName = vexBatchBlockReferenceName;
  link.useFrameLayer = useDesignatedFrameLayer;
  link.useFrameEntities = usePickedFrames;
  link.useFrameBlock = useDesignatedFrameBlock;
  link.useSelectionRange = [](const PickedRange& picked) { useSelectionRange(selectionRangeOf(picked)); };
  setRecognitionLink(std::move(link));
}
