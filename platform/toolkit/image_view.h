#pragma once
// A view that shows one image, scaled as asked.

#include <memory>

#include "graphics/image.h"
#include "toolkit/control.h"

namespace toolkit {

enum class ImageScaling { proportionallyDown = 0, axesIndependently = 1, none = 2, proportionallyUpOrDown = 3 };

class ImageView : public Control {
 public:
  ImageView() = default;
  explicit ImageView(const Rect& frame) : Control(frame) {}
  static std::shared_ptr<ImageView> withImage(std::shared_ptr<graphics::Image> image);

  const std::shared_ptr<graphics::Image>& image() const { return image_; }
  void setImage(std::shared_ptr<graphics::Image> image);
  ImageScaling imageScaling() const { return scaling_; }
  void setImageScaling(ImageScaling scaling);
  // Where the image lands in the bounds, centred.
  Rect imageRect() const;

  // Clicks pass through to what the image stands on.
  void mouseDown(const Event& event) override { View::mouseDown(event); }
  void mouseUp(const Event& event) override { View::mouseUp(event); }

  Size intrinsicContentSize() const override;
  void drawRect(graphics::GraphicsContext& context, const Rect& dirtyRect) override;

 private:
  std::shared_ptr<graphics::Image> image_;
  ImageScaling scaling_ = ImageScaling::proportionallyDown;
};

}  // namespace toolkit
