#include "toolkit/image_view.h"

#include <algorithm>

namespace toolkit {

std::shared_ptr<ImageView> ImageView::withImage(std::shared_ptr<graphics::Image> image) {
  auto view = std::make_shared<ImageView>();
  view->setImage(std::move(image));
  view->setImageScaling(ImageScaling::proportionallyUpOrDown);
  view->setFrameSize(view->intrinsicContentSize());
  return view;
}

void ImageView::setImage(std::shared_ptr<graphics::Image> image) {
  image_ = std::move(image);
  setNeedsDisplay();
}

void ImageView::setImageScaling(ImageScaling scaling) {
  scaling_ = scaling;
  setNeedsDisplay();
}

Rect ImageView::imageRect() const {
  const Rect box = bounds();
  if (!image_) return {};
  const Size is = image_->size();
  if (is.width <= 0 || is.height <= 0) return {};
  double w = is.width, h = is.height;
  switch (scaling_) {
    case ImageScaling::axesIndependently:
      return box;
    case ImageScaling::none:
      break;
    case ImageScaling::proportionallyDown:
    case ImageScaling::proportionallyUpOrDown: {
      double scale = std::min(box.width() / is.width, box.height() / is.height);
      if (scaling_ == ImageScaling::proportionallyDown) scale = std::min(scale, 1.0);
      w = is.width * scale;
      h = is.height * scale;
      break;
    }
  }
  return {box.minX() + (box.width() - w) / 2, box.minY() + (box.height() - h) / 2, w, h};
}

Size ImageView::intrinsicContentSize() const {
  if (!image_) return {kNoIntrinsicMetric, kNoIntrinsicMetric};
  return image_->size();
}

void ImageView::drawRect(graphics::GraphicsContext& context, const Rect&) {
  if (!image_) return;
  context.saveGState();
  context.clipToRect(bounds());
  context.drawImage(image_, imageRect(), graphics::CompositingOperation::sourceOver, isEnabled() ? 1.0 : 0.5);
  context.restoreGState();
}

}  // namespace toolkit
