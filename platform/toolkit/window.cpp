#include "toolkit/window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "foundation/user_defaults.h"
#include "toolkit/application.h"
#include "toolkit/beep.h"
#include "toolkit/button.h"
#include "toolkit/frame_view.h"

namespace toolkit {

namespace {

int gNextWindowNumber = 0;

std::string autosaveKey(const std::string& name) { return "WindowFrame " + name; }

std::optional<Rect> parseFrame(const std::string& text) {
  double x, y, w, h;
  char extra;
  if (std::sscanf(text.c_str(), "%lf %lf %lf %lf %c", &x, &y, &w, &h, &extra) != 4) return std::nullopt;
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h) || w <= 0 || h <= 0) {
    return std::nullopt;
  }
  return Rect{x, y, w, h};
}

}  // namespace

Rect mainScreenFrame() { return {0, 0, 1440, 900}; }
Rect mainScreenVisibleFrame() { return {0, 0, 1440, 875}; }

Window::Window(const Rect& contentRect, unsigned styleMask, BackingStore backing, bool defer)
    : number_(++gNextWindowNumber), styleMask_(styleMask), backing_(backing), defer_(defer) {
  frame_ = frameRectForContentRect(contentRect);
  auto frameView = std::make_shared<FrameView>();
  frameView->rootWindow_ = this;
  frameView->setFrame({0, 0, frame_.width(), frame_.height()});
  frameView_ = frameView;
  frameView->updateButtons();
  setContentView(std::make_shared<View>());
  Application::shared().addWindow(this);
}

Window::~Window() {
  Application::shared().removeWindow(this);
  frameView_->rootWindow_ = nullptr;
}

double Window::titlebarHeight() const {
  if (!(styleMask_ & window_style::titled) || (styleMask_ & window_style::fullSizeContentView)) return 0;
  return 28;
}

Rect Window::contentRectForFrameRect(const Rect& frame) const {
  return {frame.minX(), frame.minY(), frame.width(), std::max(0.0, frame.height() - titlebarHeight())};
}

Rect Window::frameRectForContentRect(const Rect& content) const {
  return {content.minX(), content.minY(), content.width(), content.height() + titlebarHeight()};
}

void Window::setFrame(const Rect& requested, bool) {
  Rect frame = requested;
  const Rect minimum = frameRectForContentRect({0, 0, contentMinSize_.width, contentMinSize_.height});
  const Rect maximum = frameRectForContentRect({0, 0, contentMaxSize_.width, contentMaxSize_.height});
  frame.size.width = std::max(std::min(frame.width(), maximum.width()), minimum.width());
  frame.size.height = std::max(std::min(frame.height(), maximum.height()), minimum.height());
  const bool resized = frame.size != frame_.size;
  frame_ = frame;
  frameView_->setFrameSize(frame.size);
  saveAutosavedFrame();
  if (resized && delegate_ != nullptr) delegate_->windowDidResize(*this);
}

void Window::setContentSize(Size size) {
  setFrame(frameRectForContentRect({frame_.minX(), frame_.minY(), size.width, size.height}));
}

void Window::setContentMinSize(Size size) {
  contentMinSize_ = size;
  const Rect content = contentRect();
  if (content.width() < size.width || content.height() < size.height) setFrame(frame_);
}

void Window::setContentMaxSize(Size size) {
  contentMaxSize_ = size;
  const Rect content = contentRect();
  if (content.width() > size.width || content.height() > size.height) setFrame(frame_);
}

void Window::center() {
  const Rect screen = mainScreenVisibleFrame();
  const double x = screen.minX() + (screen.width() - frame_.width()) / 2;
  const double y = screen.minY() + (screen.height() - frame_.height()) * 2 / 3;
  setFrame({std::round(x), std::round(y), frame_.width(), frame_.height()});
  ++centerCount_;
}

bool Window::setFrameAutosaveName(const std::string& name) {
  autosaveName_ = name;
  if (name.empty()) return false;
  const auto saved = foundation::UserDefaults::standard().stringForKey(autosaveKey(name));
  if (const auto frame = saved ? parseFrame(*saved) : std::nullopt) {
    setFrame(onScreen(*frame));
    return true;
  }
  saveAutosavedFrame();
  return false;
}

Rect Window::onScreen(const Rect& frame) const {
  // A frame saved on a larger screen, or damaged, would leave the window where nobody can reach it. The
  // minimum size wins over the screen.
  const Rect screen = mainScreenVisibleFrame();
  Rect kept = frame;
  kept.size.width = std::min(kept.width(), screen.width());
  kept.size.height = std::min(kept.height(), screen.height());
  const Rect minimum = frameRectForContentRect({0, 0, contentMinSize_.width, contentMinSize_.height});
  const Rect maximum = frameRectForContentRect({0, 0, contentMaxSize_.width, contentMaxSize_.height});
  kept.size.width = std::max(std::min(kept.width(), maximum.width()), minimum.width());
  kept.size.height = std::max(std::min(kept.height(), maximum.height()), minimum.height());
  // Left and top edges first, so that the title bar stays reachable when the window is larger than the screen.
  kept.origin.x = std::max(std::min(kept.minX(), screen.maxX() - kept.width()), screen.minX());
  kept.origin.y = std::min(std::max(kept.minY(), screen.minY()), screen.maxY() - kept.height());
  return kept;
}

void Window::saveAutosavedFrame() {
  if (autosaveName_.empty()) return;
  char text[128];
  std::snprintf(text, sizeof text, "%.17g %.17g %.17g %.17g", frame_.minX(), frame_.minY(), frame_.width(),
                frame_.height());
  foundation::UserDefaults::standard().setString(text, autosaveKey(autosaveName_));
}

void Window::setTitle(const std::string& title) {
  title_ = title;
  frameView_->setNeedsDisplay();
}

void Window::setStyleMask(unsigned mask) {
  const Rect content = contentRect();
  styleMask_ = mask;
  // The content keeps its place on the screen; the frame follows the new title bar.
  frame_ = frameRectForContentRect(content);
  frameView_->setFrameSize(frame_.size);
  static_cast<FrameView&>(*frameView_).updateButtons();
  placeContentView();
}

void Window::setContentView(std::shared_ptr<View> view) {
  if (!view) view = std::make_shared<View>();
  if (contentView_ == view) return;
  if (contentView_) contentView_->removeFromSuperview();
  contentView_ = view;
  frameView_->addSubview(view, Ordering::below, nullptr);
  view->setAutoresizingMask(autoresizing::widthSizable | autoresizing::heightSizable);
  placeContentView();
}

void Window::placeContentView() {
  if (!contentView_) return;
  contentView_->setFrame({0, 0, frame_.width(), std::max(0.0, frame_.height() - titlebarHeight())});
}

View* Window::closeButton() const { return static_cast<FrameView&>(*frameView_).closeButton(); }

void Window::show() {
  visible_ = true;
  orderStamp_ = Application::shared().nextOrderStamp();
  frameView_->setNeedsDisplay();
}

void Window::hide() {
  const bool wasKey = isKeyWindow();
  visible_ = false;
  if (!wasKey) return;
  // The key status passes to the frontmost window that can take it.
  Window* next = nullptr;
  for (Window* w : Application::shared().orderedWindows()) {
    if (w != this && w->canBecomeKeyWindow()) {
      next = w;
      break;
    }
  }
  Application::shared().setKeyWindow(next);
}

void Window::becomeKey() {
  if (isVisible() && canBecomeKeyWindow()) Application::shared().setKeyWindow(this);
}

void Window::makeKeyAndOrderFront(Responder*) {
  // Brought to the front, a miniaturised window comes back from the Dock.
  miniaturized_ = false;
  show();
  becomeKey();
}

void Window::orderFront(Responder*) { show(); }

void Window::orderOut(Responder*) {
  Application::shared().forgetDeactivationHide(number_);
  hide();
}

void Window::makeKeyWindow() { becomeKey(); }

void Window::close() {
  if (delegate_ != nullptr) delegate_->windowWillClose(*this);
  Application::shared().forgetDeactivationHide(number_);
  hide();
  miniaturized_ = false;
}

void Window::performClose(Responder*) {
  if (!(styleMask_ & window_style::closable)) {
    beep();
    return;
  }
  if (delegate_ != nullptr && !delegate_->windowShouldClose(*this)) return;
  close();
}

void Window::miniaturize(Responder*) {
  if (miniaturized_) return;
  const bool wasVisible = visible_;
  hide();
  visible_ = wasVisible;
  miniaturized_ = true;
}

void Window::deminiaturize(Responder*) {
  if (!miniaturized_) return;
  miniaturized_ = false;
  show();
}

bool Window::isKeyWindow() const { return Application::shared().keyWindow() == this; }

Responder* Window::firstResponder() const { return firstResponder_.lock().get(); }

bool Window::makeFirstResponder(Responder* responder) {
  const std::shared_ptr<View> current = firstResponder_.lock();
  if (responder == current.get() && responder != nullptr) return true;
  if (current && !current->resignFirstResponder()) return false;
  firstResponder_.reset();
  if (responder == nullptr || responder == this) return true;
  auto* view = dynamic_cast<View*>(responder);
  if (view == nullptr || view->window() != this) return false;
  if (!view->acceptsFirstResponder() || !view->becomeFirstResponder()) return false;
  firstResponder_ = view->weak_from_this();
  return true;
}

void Window::viewLeftWindow(View& view) {
  if (const auto first = firstResponder_.lock(); first && first->isDescendantOf(view)) firstResponder_.reset();
  if (const auto down = mouseDownView_.lock(); down && down->isDescendantOf(view)) mouseDownView_.reset();
}

void Window::sendEvent(const Event& event) {
  // The display cycle has run before a person can point at anything.
  layoutIfNeeded();
  switch (event.type()) {
    case EventType::leftMouseDown: {
      View* hit = frameView_->hitTest(event.locationInWindow());
      if (hit == nullptr) return;
      const std::shared_ptr<View> target = hit->shared_from_this();
      mouseDownView_ = target;
      if (target->acceptsFirstResponder()) makeFirstResponder(target.get());
      target->mouseDown(event);
      return;
    }
    case EventType::leftMouseUp: {
      const std::shared_ptr<View> target = mouseDownView_.lock();
      mouseDownView_.reset();
      if (target && target->window() == this) target->mouseUp(event);
      return;
    }
    case EventType::keyDown: {
      const std::shared_ptr<View> root = frameView_;
      if (root->performKeyEquivalent(event)) return;
      Responder* first = firstResponder();
      (first != nullptr ? first : this)->keyDown(event);
      return;
    }
    case EventType::scrollWheel: {
      View* hit = frameView_->hitTest(event.locationInWindow());
      if (hit != nullptr) hit->shared_from_this()->scrollWheel(event);
      return;
    }
    default:
      return;
  }
}

void Window::layoutIfNeeded() { frameView_->layoutSubtreeIfNeeded(); }

namespace {
void clearNeedsDisplay(View& view) {
  view.setNeedsDisplay(false);
  for (const auto& sub : view.subviews()) clearNeedsDisplay(*sub);
}
}  // namespace

void Window::display() {
  layoutIfNeeded();
  clearNeedsDisplay(*frameView_);
  ++displayCount_;
}

Panel::Panel(const Rect& contentRect, unsigned styleMask, BackingStore backing, bool defer)
    : Window(contentRect, styleMask, backing, defer) {
  setHidesOnDeactivate(true);
  setReleasedWhenClosed(false);
}

void Panel::setFloatingPanel(bool floating) {
  floating_ = floating;
  setLevel(floating ? window_level::floating : window_level::normal);
}

}  // namespace toolkit
