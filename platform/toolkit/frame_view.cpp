#include "toolkit/frame_view.h"

#include "toolkit/button.h"
#include "toolkit/control_drawing.h"
#include "toolkit/window.h"

namespace toolkit {

namespace {

// A round title-bar button.
class TitlebarButton final : public Button {
 public:
  explicit TitlebarButton(graphics::Color color) : color_(color) { setBordered(false); }
  void drawRect(graphics::GraphicsContext& context, const Rect&) override {
    const Rect dot = bounds().insetBy(1, 1);
    context.fillPath(graphics::BezierPath::oval(dot),
                     isHighlighted() ? color_.blended(0.25, graphics::Color::black()) : color_);
  }

 private:
  graphics::Color color_;
};

}  // namespace

void FrameView::updateButtons() {
  Window* w = window();
  if (w == nullptr) return;
  const unsigned style = w->styleMask();
  const bool titled = style & window_style::titled;
  auto sync = [&](std::shared_ptr<Button>& button, bool wanted, const char* identifier, graphics::Color color,
                  Control::Action action) {
    if (wanted && !button) {
      button = std::make_shared<TitlebarButton>(color);
      button->setIdentifier(identifier);
      button->setAction(std::move(action));
      addSubview(button);
    } else if (!wanted && button) {
      button->removeFromSuperview();
      button.reset();
    }
  };
  sync(close_, titled && (style & window_style::closable), kCloseButtonIdentifier, graphics::Color::grey(0.55),
       [w](Control&) { w->performClose(nullptr); });
  sync(miniaturize_, titled && (style & window_style::miniaturizable), kMiniaturizeButtonIdentifier,
       graphics::Color::grey(0.7), [w](Control&) { w->miniaturize(nullptr); });
  setNeedsLayout();
}

void FrameView::layout() {
  const double h = bounds().height();
  if (close_) close_->setFrame({9, h - 21, 14, 14});
  if (miniaturize_) miniaturize_->setFrame({29, h - 21, 14, 14});
}

void FrameView::drawRect(graphics::GraphicsContext& context, const Rect&) {
  Window* w = window();
  if (w == nullptr) return;
  const Rect box = bounds();
  context.fillRect(box, w->backgroundColor().value_or(graphics::Color::named(graphics::SystemColor::windowBackground)));
  if (!(w->styleMask() & window_style::titled)) return;
  const double bar = 28;
  const Rect titleBar{0, box.height() - bar, box.width(), bar};
  const bool dark = w->effectiveAppearance() == graphics::Appearance::darkAqua;
  if (!w->titlebarAppearsTransparent() && !(w->styleMask() & window_style::fullSizeContentView)) {
    context.fillRect(titleBar, dark ? graphics::Color::grey(0.22) : graphics::Color::grey(0.9));
    if (w->titlebarSeparatorStyle() != TitlebarSeparatorStyle::none) {
      context.fillRect({0, titleBar.minY(), box.width(), 1}, graphics::Color::named(graphics::SystemColor::separator));
    }
  }
  if (w->titleVisibility() == TitleVisibility::visible && !w->title().empty()) {
    plain::label(context, w->title(), titleBar.insetBy(56, 0), graphics::Font::system(13, graphics::FontWeight::semibold),
                 graphics::Color::named(graphics::SystemColor::label), graphics::TextAlignment::center);
  }
}

}  // namespace toolkit
