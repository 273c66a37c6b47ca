#pragma once
// Windows and their frames. Frames are in screen coordinates (y up, one 1440 × 900 screen); a window's own
// coordinates are y up from its bottom-left corner. The root of a window's view tree is its frame view, which
// draws the title bar and holds the title-bar buttons and the content view.
//
// The ordering operations are virtual so that a subclass can wrap them and still call the base version.

#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "graphics/color.h"
#include "toolkit/event.h"
#include "toolkit/responder.h"
#include "toolkit/view.h"

namespace toolkit {

class Window;

namespace window_style {
inline constexpr unsigned borderless = 0;
inline constexpr unsigned titled = 1u << 0;
inline constexpr unsigned closable = 1u << 1;
inline constexpr unsigned miniaturizable = 1u << 2;
inline constexpr unsigned resizable = 1u << 3;
inline constexpr unsigned utilityWindow = 1u << 4;
inline constexpr unsigned nonactivatingPanel = 1u << 7;
inline constexpr unsigned fullSizeContentView = 1u << 15;
}  // namespace window_style

namespace window_level {
inline constexpr int normal = 0;
inline constexpr int floating = 3;
inline constexpr int modalPanel = 8;
}  // namespace window_level

namespace collection_behavior {
inline constexpr unsigned standard = 0;
inline constexpr unsigned canJoinAllSpaces = 1u << 0;
inline constexpr unsigned moveToActiveSpace = 1u << 1;
inline constexpr unsigned managed = 1u << 2;
inline constexpr unsigned transient = 1u << 3;
inline constexpr unsigned stationary = 1u << 4;
inline constexpr unsigned fullScreenAuxiliary = 1u << 8;
}  // namespace collection_behavior

enum class BackingStore { retained = 0, nonretained = 1, buffered = 2 };
enum class TitleVisibility { visible = 0, hidden = 1 };
enum class TitlebarSeparatorStyle { automatic = 0, none = 1, line = 2, shadow = 3 };

// The screen every window is on.
Rect mainScreenFrame();
// The screen without the menu bar.
Rect mainScreenVisibleFrame();

class WindowDelegate {
 public:
  virtual ~WindowDelegate() = default;
  // Asked by performClose (the close button); false keeps the window open.
  virtual bool windowShouldClose(Window&) { return true; }
  virtual void windowWillClose(Window&) {}
  virtual void windowDidResize(Window&) {}
  virtual void windowDidBecomeKey(Window&) {}
  virtual void windowDidResignKey(Window&) {}
};

class Window : public Responder, public std::enable_shared_from_this<Window> {
 public:
  Window(const Rect& contentRect, unsigned styleMask, BackingStore backing = BackingStore::buffered,
         bool defer = false);
  ~Window() override;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Unique in the process, never 0.
  int windowNumber() const { return number_; }
  const std::string& identifier() const { return identifier_; }
  void setIdentifier(const std::string& identifier) { identifier_ = identifier; }

  // Geometry.
  Rect frame() const { return frame_; }
  // Sizes beyond the maximum shrink to it, then sizes below the minimum grow to it. The delegate hears of a
  // change of size.
  virtual void setFrame(const Rect& frame, bool display = true);
  Rect contentRectForFrameRect(const Rect& frame) const;
  Rect frameRectForContentRect(const Rect& content) const;
  Rect contentRect() const { return contentRectForFrameRect(frame_); }
  void setContentSize(Size size);
  Size contentMinSize() const { return contentMinSize_; }
  void setContentMinSize(Size size);
  // Unbounded unless set.
  Size contentMaxSize() const { return contentMaxSize_; }
  void setContentMaxSize(Size size);
  // Centres the window on the screen, a little above the middle.
  virtual void center();
  int centerCount() const { return centerCount_; }
  // With a name, the frame is kept in the user defaults under it: a frame saved earlier is restored now, and
  // every later change is saved. A restored frame is kept within the minimum and maximum sizes and moved onto
  // the screen, shrunk to it where it is larger. Returns whether a saved frame was restored.
  bool setFrameAutosaveName(const std::string& name);
  const std::string& frameAutosaveName() const { return autosaveName_; }

  // Look and behaviour, stored as set.
  const std::string& title() const { return title_; }
  virtual void setTitle(const std::string& title);
  unsigned styleMask() const { return styleMask_; }
  void setStyleMask(unsigned mask);
  BackingStore backingType() const { return backing_; }
  bool isDeferred() const { return defer_; }
  TitleVisibility titleVisibility() const { return titleVisibility_; }
  void setTitleVisibility(TitleVisibility v) { titleVisibility_ = v; }
  bool titlebarAppearsTransparent() const { return titlebarTransparent_; }
  void setTitlebarAppearsTransparent(bool on) { titlebarTransparent_ = on; }
  TitlebarSeparatorStyle titlebarSeparatorStyle() const { return separatorStyle_; }
  void setTitlebarSeparatorStyle(TitlebarSeparatorStyle style) { separatorStyle_ = style; }
  bool isMovableByWindowBackground() const { return movableByBackground_; }
  void setMovableByWindowBackground(bool on) { movableByBackground_ = on; }
  int level() const { return level_; }
  void setLevel(int level) { level_ = level; }
  unsigned collectionBehavior() const { return collectionBehavior_; }
  void setCollectionBehavior(unsigned behavior) { collectionBehavior_ = behavior; }
  bool hidesOnDeactivate() const { return hidesOnDeactivate_; }
  void setHidesOnDeactivate(bool on) { hidesOnDeactivate_ = on; }
  bool isReleasedWhenClosed() const { return releasedWhenClosed_; }
  void setReleasedWhenClosed(bool on) { releasedWhenClosed_ = on; }
  const std::optional<graphics::Appearance>& appearance() const { return appearance_; }
  void setAppearance(std::optional<graphics::Appearance> appearance) { appearance_ = appearance; }
  graphics::Appearance effectiveAppearance() const { return appearance_.value_or(graphics::Appearance::aqua); }
  // nullopt: the standard window background.
  const std::optional<graphics::Color>& backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(std::optional<graphics::Color> color) { backgroundColor_ = std::move(color); }

  // Not owned; whoever sets it clears it before it goes.
  WindowDelegate* delegate() const { return delegate_; }
  void setDelegate(WindowDelegate* delegate) { delegate_ = delegate; }

  // The content view fills the content area and follows its size.
  const std::shared_ptr<View>& contentView() const { return contentView_; }
  void setContentView(std::shared_ptr<View> view);
  View& frameView() const { return *frameView_; }
  // The title-bar button that closes the window, or nullptr without one.
  View* closeButton() const;

  // Ordering and state.
  virtual void makeKeyAndOrderFront(Responder* sender = nullptr);
  virtual void orderFront(Responder* sender = nullptr);
  virtual void orderOut(Responder* sender = nullptr);
  virtual void makeKeyWindow();
  virtual void close();
  // What the close button does: refused (beep) without one, else asks the delegate, then closes.
  virtual void performClose(Responder* sender = nullptr);
  virtual void miniaturize(Responder* sender = nullptr);
  virtual void deminiaturize(Responder* sender = nullptr);
  // Ordered in and not miniaturised.
  bool isVisible() const { return visible_ && !miniaturized_; }
  bool isMiniaturized() const { return miniaturized_; }
  bool isKeyWindow() const;
  virtual bool canBecomeKeyWindow() const { return styleMask_ != window_style::borderless; }

  // Events.
  virtual void sendEvent(const Event& event);
  // nullptr when the window itself is.
  Responder* firstResponder() const;
  // The old responder may refuse to resign and the new one to become; false then, and nothing changes.
  // nullptr makes the window its own first responder.
  bool makeFirstResponder(Responder* responder);

  // Lays out every view that needs it.
  void layoutIfNeeded();
  // Lays out and counts a redraw; every view is drawn afresh.
  void display();
  long displayCount() const { return displayCount_; }

 private:
  friend class View;
  friend class Application;
  void viewLeftWindow(View& view);
  double titlebarHeight() const;
  void placeContentView();
  void saveAutosavedFrame();
  // A restored frame within the size limits and on the screen.
  Rect onScreen(const Rect& frame) const;
  void show();
  void hide();
  void becomeKey();

  int number_;
  std::string identifier_;
  Rect frame_;
  unsigned styleMask_;
  BackingStore backing_;
  bool defer_;
  std::string title_;
  TitleVisibility titleVisibility_ = TitleVisibility::visible;
  bool titlebarTransparent_ = false;
  TitlebarSeparatorStyle separatorStyle_ = TitlebarSeparatorStyle::automatic;
  bool movableByBackground_ = false;
  int level_ = window_level::normal;
  unsigned collectionBehavior_ = collection_behavior::standard;
  bool hidesOnDeactivate_ = false;
  bool releasedWhenClosed_ = true;
  std::optional<graphics::Appearance> appearance_;
  std::optional<graphics::Color> backgroundColor_;
  Size contentMinSize_;
  Size contentMaxSize_{std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
  std::string autosaveName_;
  int centerCount_ = 0;
  WindowDelegate* delegate_ = nullptr;
  std::shared_ptr<View> frameView_;
  std::shared_ptr<View> contentView_;
  bool visible_ = false;
  bool miniaturized_ = false;
  long displayCount_ = 0;
  long orderStamp_ = 0;
  std::weak_ptr<View> firstResponder_;
  std::weak_ptr<View> mouseDownView_;
};

// A window for auxiliary content: it floats above documents when asked, and by default hides while the
// application is inactive.
class Panel : public Window {
 public:
  Panel(const Rect& contentRect, unsigned styleMask, BackingStore backing = BackingStore::buffered, bool defer = false);

  bool isFloatingPanel() const { return floating_; }
  // Also sets the level: floating or normal.
  void setFloatingPanel(bool floating);
  bool worksWhenModal() const { return worksWhenModal_; }
  void setWorksWhenModal(bool on) { worksWhenModal_ = on; }
  bool becomesKeyOnlyIfNeeded() const { return keyOnlyIfNeeded_; }
  void setBecomesKeyOnlyIfNeeded(bool on) { keyOnlyIfNeeded_ = on; }

 private:
  bool floating_ = false;
  bool worksWhenModal_ = false;
  bool keyOnlyIfNeeded_ = false;
};

}  // namespace toolkit
