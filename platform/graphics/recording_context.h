#pragma once
// A drawing context that draws nothing and keeps every operation, in order, for tests to look at.

#include <vector>

#include "graphics/context.h"

namespace graphics {

struct RecordedOperation {
  enum class Kind { save, restore, transform, clip, fill, stroke, text, image };
  Kind kind = Kind::save;
  AffineTransform transform;  // user to device at the time of the operation
  bool flipped = false;
  BezierPath path;            // clip, fill, stroke: in user space
  Color color;                // fill, stroke: resolved, alpha applied
  TextDraw text;              // text
  ImageDraw image;            // image
};

class RecordingContext final : public GraphicsContext {
 public:
  explicit RecordingContext(const TextMeasurer& measurer = textMeasurer()) : GraphicsContext(measurer) {}

  const std::vector<RecordedOperation>& operations() const { return operations_; }
  // The operations of one kind, in order.
  std::vector<const RecordedOperation*> operations(RecordedOperation::Kind kind) const;
  // The texts drawn, as given, in order.
  std::vector<std::string> texts() const;
  void clear() { operations_.clear(); }

 protected:
  void onSave() override { add(RecordedOperation::Kind::save); }
  void onRestore() override { add(RecordedOperation::Kind::restore); }
  void onTransform(const AffineTransform&) override { add(RecordedOperation::Kind::transform); }
  void onClip(const BezierPath& path) override { add(RecordedOperation::Kind::clip).path = path; }
  void onFill(const BezierPath& path, const Color& color) override;
  void onStroke(const BezierPath& path, const Color& color) override;
  void onText(const TextDraw& text) override { add(RecordedOperation::Kind::text).text = text; }
  void onImage(const ImageDraw& image) override { add(RecordedOperation::Kind::image).image = image; }

 private:
  RecordedOperation& add(RecordedOperation::Kind kind);
  std::vector<RecordedOperation> operations_;
};

}  // namespace graphics
