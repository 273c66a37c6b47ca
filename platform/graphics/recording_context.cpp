#include "graphics/recording_context.h"

namespace graphics {

RecordedOperation& RecordingContext::add(RecordedOperation::Kind kind) {
  RecordedOperation& op = operations_.emplace_back();
  op.kind = kind;
  op.transform = currentTransform();
  op.flipped = isFlipped();
  return op;
}

void RecordingContext::onFill(const BezierPath& path, const Color& color) {
  RecordedOperation& op = add(RecordedOperation::Kind::fill);
  op.path = path;
  op.color = color;
}

void RecordingContext::onStroke(const BezierPath& path, const Color& color) {
  RecordedOperation& op = add(RecordedOperation::Kind::stroke);
  op.path = path;
  op.color = color;
}

std::vector<const RecordedOperation*> RecordingContext::operations(RecordedOperation::Kind kind) const {
  std::vector<const RecordedOperation*> out;
  for (const RecordedOperation& op : operations_) {
    if (op.kind == kind) out.push_back(&op);
  }
  return out;
}

std::vector<std::string> RecordingContext::texts() const {
  std::vector<std::string> out;
  for (const RecordedOperation& op : operations_) {
    if (op.kind == RecordedOperation::Kind::text) out.push_back(op.text.text);
  }
  return out;
}

}  // namespace graphics
