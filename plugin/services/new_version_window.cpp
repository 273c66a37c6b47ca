#include "services/new_version_window.h"

#include <algorithm>
#include <cmath>

#include "foundation/format.h"
#include "graphics/text_measurer.h"
#include "toolkit/button.h"
#include "toolkit/scroll_view.h"
#include "toolkit/text_field.h"
#include "toolkit/window.h"
#include "ui/localisation.h"

namespace {

constexpr double kNotesWidth = 448;
constexpr double kNotesHeight = 160;

std::shared_ptr<toolkit::TextField> label(const std::string& text, const toolkit::Rect& frame) {
  auto field = toolkit::TextField::labelWithString(text);
  field->setFrame(frame);
  return field;
}

}  // namespace

NewVersionWindow::NewVersionWindow(const foundation::Json& release, const std::string& currentVersion,
                                   Choices choices) {
  using namespace toolkit::window_style;
  window_ = std::make_shared<toolkit::Panel>(toolkit::Rect{0, 0, 510, 350}, titled | closable,
                                             toolkit::BackingStore::buffered, false);
  window_->setIdentifier("newVersion");
  window_->setReleasedWhenClosed(false);
  window_->setTitle(QDLT("Ferrolin 批打工具 · 发现新版本"));
  toolkit::View& content = *window_->contentView();

  const std::string version = foundation::jsonString(release, "version").value_or("");
  heading_ = label(foundation::format(QDLT("Ferrolin 批打工具 %@"), version), {22, 292, 468, 32});
  heading_->setFont(graphics::Font::boldSystem(21));
  content.addSubview(heading_);
  content.addSubview(label(foundation::format(QDLT("当前版本：%@"), currentVersion), {22, 263, 468, 23}));

  // The notes scroll when they are longer than the view: the text grows downwards from the top.
  const std::string text = foundation::jsonString(release, "notes").value_or("");
  notes_ = toolkit::TextField::wrappingLabelWithString(text);
  notes_->setFont(graphics::Font::system(15));
  notes_->setIdentifier("notes");
  const double textHeight =
      graphics::textMeasurer().size(text, notes_->font(), kNotesWidth, graphics::LineBreakMode::wordWrap).height;
  notes_->setFrame({0, 0, kNotesWidth, std::max(kNotesHeight, std::ceil(textHeight) + 4)});
  auto scroll = std::make_shared<toolkit::ScrollView>(toolkit::Rect{22, 90, 468, 160});
  scroll->setHasVerticalScroller(true);
  scroll->setDocumentView(notes_);
  content.addSubview(scroll);

  content.addSubview(label(QDLT("打开 SharePoint 下载页，不会自动安装。"), {22, 61, 468, 22}));

  const struct {
    const char* title;
    const char* identifier;
    std::function<void()> action;
  } buttons[] = {{"下载新版", "download", std::move(choices.download)},
                 {"稍后提醒", "later", std::move(choices.later)},
                 {"忽略此版本", "ignore", std::move(choices.ignore)}};
  for (int i = 0; i < 3; ++i) {
    buttons_[i] = toolkit::Button::buttonWithTitle(
        QDLT(buttons[i].title), [action = buttons[i].action](toolkit::Control&) {
          if (action) action();
        });
    buttons_[i]->setIdentifier(buttons[i].identifier);
    buttons_[i]->setBezelStyle(toolkit::BezelStyle::push);
    buttons_[i]->setFrame({22.0 + 158.0 * i, 18, 145, 32});
    content.addSubview(buttons_[i]);
  }
}

NewVersionWindow::~NewVersionWindow() { window_->orderOut(); }

void NewVersionWindow::close() { window_->close(); }
