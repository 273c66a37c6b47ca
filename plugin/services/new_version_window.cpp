#include "services/new_version_window.h"

#include <algorithm>
#include <cmath>

#include "foundation/format.h"
#include "foundation/user_defaults.h"
#include "graphics/text_measurer.h"
#include "services/download_address.h"
#include "services/update_notice_object.h"
#include "toolkit/application.h"
#include "toolkit/button.h"
#include "toolkit/scroll_view.h"
#include "toolkit/text_field.h"
#include "toolkit/window.h"
#include "toolkit/workspace.h"
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

NewVersionWindow::NewVersionWindow(QDLUpdateNotice& notice, const foundation::Json& release) {
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
  content.addSubview(label(foundation::format(QDLT("当前版本：%@"), notice.version()), {22, 263, 468, 23}));

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
    void (QDLUpdateNotice::*action)();
  } choices[] = {{"下载新版", "download", &QDLUpdateNotice::download},
                 {"稍后提醒", "later", &QDLUpdateNotice::later},
                 {"忽略此版本", "ignore", &QDLUpdateNotice::ignore}};
  for (int i = 0; i < 3; ++i) {
    // The notice owns this window, so it outlives the buttons' actions.
    buttons_[i] = toolkit::Button::buttonWithTitle(QDLT(choices[i].title),
                                                   [&notice, action = choices[i].action](toolkit::Control&) {
                                                     (notice.*action)();
                                                   });
    buttons_[i]->setIdentifier(choices[i].identifier);
    buttons_[i]->setBezelStyle(toolkit::BezelStyle::push);
    buttons_[i]->setFrame({22.0 + 158.0 * i, 18, 145, 32});
    content.addSubview(buttons_[i]);
  }
}

NewVersionWindow::~NewVersionWindow() { window_->orderOut(); }

void NewVersionWindow::close() { window_->close(); }

void QDLUpdateNotice::showRelease(const foundation::Json& release) {
  if (panel_ && panel_->window().isVisible()) {
    panel_->window().makeKeyAndOrderFront();
    return;
  }
  availableRelease_ = release;
  panel_ = std::make_unique<NewVersionWindow>(*this, release);
  panel_->window().center();
  panel_->window().makeKeyAndOrderFront();
}

void QDLUpdateNotice::download() {
  if (availableRelease_) {
    const foundation::Json* address = foundation::jsonMember(*availableRelease_, "download_url");
    if (address != nullptr && QDLUSafeURL(*address)) toolkit::Workspace::shared().openURL(address->get<std::string>());
  }
  if (panel_) panel_->close();
}

void QDLUpdateNotice::later() {
  if (panel_) panel_->close();
}

void QDLUpdateNotice::ignore() {
  if (availableRelease_) {
    if (const auto version = foundation::jsonString(*availableRelease_, "version")) {
      prefs().setString(*version, "ignored_version");
    }
  }
  if (panel_) panel_->close();
}
