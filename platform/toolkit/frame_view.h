#pragma once
// The root view of every window: the window's background, its title bar with the title and the close and
// miniaturise buttons, and the content view below (or, with a full-size content view, under) the title bar.

#include <memory>

#include "toolkit/view.h"

namespace toolkit {

class Button;

class FrameView final : public View {
 public:
  // Title-bar buttons' identifiers, so that scripts can find them.
  static constexpr const char* kCloseButtonIdentifier = "_closeButton";
  static constexpr const char* kMiniaturizeButtonIdentifier = "_miniaturizeButton";

  FrameView() = default;
  // Rebuilds the title-bar buttons for the window's style.
  void updateButtons();
  Button* closeButton() const { return close_.get(); }

  void layout() override;
  void drawRect(graphics::GraphicsContext& context, const Rect& dirtyRect) override;

 private:
  std::shared_ptr<Button> close_;
  std::shared_ptr<Button> miniaturize_;
};

}  // namespace toolkit
