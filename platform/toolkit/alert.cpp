#include "toolkit/alert.h"

#include <algorithm>
#include <cmath>

#include "graphics/text_measurer.h"
#include "toolkit/application.h"
#include "toolkit/modal_responder.h"
#include "toolkit/text_field.h"

namespace toolkit {

namespace {
Alert* gCurrentAlert = nullptr;
constexpr double kWidth = 420;
constexpr double kMargin = 20;
}  // namespace

Alert::Alert() = default;

Alert::~Alert() {
  if (gCurrentAlert == this) gCurrentAlert = nullptr;
}

Alert* Alert::current() { return gCurrentAlert; }

std::shared_ptr<Button> Alert::addButtonWithTitle(const std::string& title) {
  const long index = static_cast<long>(buttons_.size());
  auto button = Button::buttonWithTitle(title, [index](Control&) { Application::shared().stopModal(1000 + index); });
  button->setIdentifier("button" + std::to_string(index + 1));
  if (index == 0) button->setKeyEquivalent(key::carriageReturn);
  else if (title == "Cancel") button->setKeyEquivalent(key::escape);
  buttons_.push_back(button);
  return button;
}

Window& Alert::window() {
  layout();
  return *window_;
}

void Alert::layout() {
  if (!window_) {
    // Titled so that it can become key; the title bar itself does not show.
    window_ = std::make_shared<Panel>(Rect{0, 0, kWidth, 100}, window_style::titled | window_style::fullSizeContentView);
    window_->setTitlebarAppearsTransparent(true);
    window_->setTitleVisibility(TitleVisibility::hidden);
    window_->setIdentifier("alert");
  }
  auto content = std::make_shared<View>();
  content->setFlipped(true);
  const double textWidth = kWidth - 2 * kMargin;
  const graphics::TextMeasurer& measurer = graphics::textMeasurer();
  double y = kMargin;
  auto addText = [&](const std::string& text, const graphics::Font& font, const char* identifier) {
    if (text.empty()) return;
    auto label = TextField::wrappingLabelWithString(text);
    label->setFont(font);
    label->setIdentifier(identifier);
    const double h = std::ceil(measurer.size(text, font, textWidth - 4).height);
    label->setFrame({kMargin, y, textWidth, h});
    content->addSubview(label);
    y += h + 8;
  };
  addText(message_, graphics::Font::system(13, graphics::FontWeight::bold), "messageText");
  addText(informative_, graphics::Font::system(11), "informativeText");
  double width = kWidth;
  if (accessory_) {
    const Size size = accessory_->frame().size;
    accessory_->setFrameOrigin({kMargin, y});
    content->addSubview(accessory_);
    y += size.height + 12;
    width = std::max(width, size.width + 2 * kMargin);
  }
  y += 8;
  // The first button at the right, the others to its left.
  double right = width - kMargin;
  for (const auto& button : buttons_) {
    const double w = std::max(80.0, button->intrinsicContentSize().width);
    button->setFrame({right - w, y, w, 24});
    content->addSubview(button);
    right -= w + 12;
  }
  y += 24 + kMargin;
  window_->setContentView(content);
  window_->setContentSize({width, y});
}

long Alert::runModal() {
  if (buttons_.empty()) addButtonWithTitle("OK");
  layout();
  AlertRecord record{message_, informative_, static_cast<int>(style_), {}, accessory_ != nullptr, 0};
  std::string line = "Alert: " + message_;
  if (!informative_.empty()) line += " — " + informative_;
  for (const auto& button : buttons_) {
    record.buttonTitles.push_back(button->title());
    line += " [" + button->title() + "]";
  }
  ModalResponder& responder = ModalResponder::shared();
  responder.announce(line);
  Alert* outer = gCurrentAlert;
  gCurrentAlert = this;
  long response;
  if (auto answer = responder.takeAlertAnswer()) {
    window_->makeKeyAndOrderFront(nullptr);
    response = (*answer)(*this);
    window_->orderOut(nullptr);
  } else {
    response = Application::shared().runModalForWindow(*window_, kAlertFirstButtonReturn);
  }
  gCurrentAlert = outer;
  record.response = response;
  responder.recordAlert(std::move(record));
  return response;
}

}  // namespace toolkit
