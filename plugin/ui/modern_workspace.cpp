#include "ui/modern_workspace.h"

#include <array>
#include <tuple>
#include <utility>

#include "foundation/format.h"
#include "foundation/notification_center.h"
#include "foundation/user_defaults.h"
#include "graphics/font.h"
#include "toolkit/application.h"
#include "toolkit/button.h"
#include "toolkit/menu.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/scroll_view.h"
#include "toolkit/segmented_control.h"
#include "toolkit/table_view.h"
#include "toolkit/text_field.h"
#include "toolkit/window.h"
#include "ui/compact_label.h"
#include "ui/localisation.h"
#include "ui/localize_view.h"
#include "ui/modern_button.h"
#include "ui/modern_metric.h"
#include "ui/modern_place.h"
#include "ui/palette.h"

namespace {

using graphics::Color;
using graphics::Font;
using graphics::FontWeight;

constexpr char kReverseScrollKey[] = "Quodline.ReverseScroll";

struct MetricTile {
  const char* title;
  const char* symbol;
  Color color;
};

const std::array<std::pair<const char*, const char*>, 6> kTileSymbols = {{
    {"automatic", "sparkles"},
    {"pickLayer", "square.3.layers.3d"},
    {"pickBlock", "cube"},
    {"pickFrames", "cursorarrow"},
    {"range", "cursorarrow.and.square.on.square.dashed"},
    {"clearRange", "trash"},
}};

const std::array<std::pair<const char*, const char*>, 8> kIconSymbols = {{
    {"refresh", "arrow.clockwise"},
    {"all", "checkmark.square"},
    {"none", "square"},
    {"up", "arrow.up"},
    {"down", "arrow.down"},
    {"focus", "scope"},
    {"remove", "minus"},
    {"restore", "arrow.uturn.backward"},
}};

const std::array<std::pair<const char*, const char*>, 8> kFurtherSymbols = {{
    {"add", "plus"},
    {"browse", "folder"},
    {"diagnostics", "doc.text"},
    {"export", "doc.badge.arrow.up"},
    {"preflight", "checkmark.seal"},
    {"preview", "eye"},
    {"resume", "play"},
    {"showRanges", "eye"},
}};

const std::array<const char*, 4> kLanguageCodes = {"auto", "zh", "zh-Hant", "en"};

// The name of the interface the workspace belongs to, beside the compact one.
std::string fullInterfaceName() { return QDLL("专业版", "Pro", "專業版"); }
std::string liteInterfaceName() { return QDLL("精简版", "Lite", "精簡版"); }

bool isPageShown(long page) { return page == 0 || page == 2 || page == 3; }

}  // namespace

QDLModernWorkspace::QDLModernWorkspace(QDLControls controls) : controls_(std::move(controls)) { build(); }

QDLModernWorkspace::~QDLModernWorkspace() {
  foundation::NotificationCenter::defaultCenter().removeObserversOwnedBy(this);
  // The workspace's own controls call back into it; whoever still holds one after it is gone gets a dead button.
  for (const auto& button : navigationButtons_) button->setAction({});
  const std::array<toolkit::Control*, 4> own = {editionMenu_.get(), advancedToggle_.get(), reverseScrollToggle_.get(),
                                                languageSetting_.get()};
  for (toolkit::Control* control : own) {
    if (control != nullptr) control->setAction({});
  }
}

std::shared_ptr<toolkit::View> QDLModernWorkspace::control(const std::string& key) const {
  const auto it = controls_.find(key);
  return it == controls_.end() ? nullptr : it->second;
}

std::shared_ptr<QDLModernSurface> QDLModernWorkspace::section(const std::string& key) const {
  const auto it = sections_.find(key);
  return it == sections_.end() ? nullptr : it->second;
}

std::shared_ptr<QDLCompactLabel> QDLModernWorkspace::text(const std::string& text, double size) const {
  auto label = QDLCompactText(text);
  label->setFont(Font::system(size, FontWeight::semibold));
  label->setTextColor(QDLModernInk());
  return label;
}

std::shared_ptr<QDLModernSurface> QDLModernWorkspace::addSection(const std::string& key,
                                                                 const std::optional<std::string>& title) {
  auto surface = std::make_shared<QDLModernSurface>();
  surface->setRadius(0);
  addSubview(surface);
  sections_[key] = surface;
  if (title) {
    const double width = key == "recognition" ? 144 : key == "list" ? 100 : 250;
    // Section titles are 15 points, a step above the 13-point controls they head.
    QDLModernPlace(*surface, text(QDLT(*title), 15), 12, 10, width, 22);
  }
  return surface;
}

void QDLModernWorkspace::place(const std::string& controlKey, const std::string& sectionKey, double x, double y,
                               double w, double h) {
  const std::shared_ptr<QDLModernSurface> parent = section(sectionKey);
  if (parent) QDLModernPlace(*parent, control(controlKey), x, y, w, h);
}

bool QDLModernWorkspace::canEndEditing() const {
  toolkit::Window* w = window();
  return w == nullptr || w->makeFirstResponder(nullptr);
}

void QDLModernWorkspace::build() {
  setFill(QDLModernPale());
  setAutoresizingMask(toolkit::autoresizing::widthSizable | toolkit::autoresizing::heightSizable);
  buildSidebar();
  buildHeader();
  if (auto version = control("version")) version->setHidden(true);
  addSection("recognition", "图框识别");
  addSection("list", "图纸列表");
  addSection("output", "输出设置");
  addSection("tools", std::nullopt);
  buildOutputCard();
  addSection("settings", "设置");
  addSection("about", "关于 Ferrolin 批打工具");
  buildSettingsPage();
  foundation::NotificationCenter::defaultCenter().addObserver(
      QDLLanguageChanged, nullptr, [this](const auto&) { languageChanged(); }, this);
  refreshLanguageSetting();
  buildAboutPage();
  styleControls();
  showPage(0);
  QDLLocalizeView(this);
}

void QDLModernWorkspace::buildSidebar() {
  auto sidebar = addSection("sidebar", std::nullopt);
  sidebar->setFill(QDLModernSidebar());
  brandLabel_ = text("Ferrolin", 32);
  brandLabel_->setTextColor(Color::white());
  QDLModernPlace(*sidebar, brandLabel_, 18, 52, 104, 38);
  productLabel_ = text(QDLT("Ferrolin 批打工具"), 14);
  productLabel_->setTextColor(Color::white());
  QDLModernPlace(*sidebar, productLabel_, 18, 98, 104, 22);
  auto tagline = text(QDLT("CAD 批量输出"), 10);
  tagline->setTextColor(Color::grey(0.85));
  QDLModernPlace(*sidebar, tagline, 18, 123, 104, 20);

  const std::array<std::tuple<long, const char*, const char*>, 3> pages = {{
      {0, "首页", "house"},
      {2, "设置", "slider.horizontal.3"},
      {3, "关于", "info.circle"},
  }};
  for (const auto& [page, title, symbol] : pages) {
    auto button = QDLModernButton::buttonWithTitle(QDLT(title), [this](toolkit::Control& sender) { navigate(sender); });
    button->setTag(page);
    button->setNavigation(true);
    button->setCompact(true);
    button->setSymbolName(symbol);
    button->setAccessibilityLabel(button->title());
    sidebar->addSubview(button);
    navigationButtons_.push_back(button);
  }

  sidebarFooter_ = text(QDLT("专注 · 高效 · 专业"), 10);
  sidebarFooter_->setTextColor(Color::grey(0.85));
  sidebarFooter_->setAlignment(graphics::TextAlignment::center);
  sidebar->addSubview(sidebarFooter_);
}

void QDLModernWorkspace::buildHeader() {
  auto header = addSection("header", std::nullopt);
  header->setFill(Color::clear());

  editionMenu_ = std::make_shared<toolkit::PopUpButton>(toolkit::Rect{}, false);
  editionMenu_->addItemWithTitle(fullInterfaceName());
  editionMenu_->addItemWithTitle(liteInterfaceName());
  editionMenu_->selectItemAtIndex(0);
  editionMenu_->setAction(
      [this](toolkit::Control& sender) { changeEdition(static_cast<toolkit::PopUpButton&>(sender)); });
  editionMenu_->setBordered(false);
  editionMenu_->setFont(Font::system(12));
  editionMenu_->setToolTip(QDLL("切换界面", "Switch interface", "切換介面"));
  addSubview(editionMenu_);
  if (auto lite = control("lite")) lite->setHidden(true);

  const std::array<MetricTile, 4> tiles = {{
      {"图纸总数", "folder", QDLModernBlue()},
      {"可打印图纸", "checkmark.circle", Color::srgb(0.23, 0.62, 0.40)},
      {"已排除", "minus.circle", Color::srgb(0.43, 0.49, 0.58)},
      {"预计输出页数", "doc.text", Color::srgb(0.10, 0.58, 0.72)},
  }};
  for (const MetricTile& tile : tiles) {
    auto metric = std::make_shared<QDLModernMetric>(QDLT(tile.title), tile.symbol, tile.color);
    header->addSubview(metric);
    metrics_.push_back(metric);
  }
}

void QDLModernWorkspace::buildOutputCard() {
  outputScroll_ = std::make_shared<toolkit::ScrollView>();
  outputScroll_->setHasVerticalScroller(true);
  outputScroll_->setHasHorizontalScroller(false);
  outputScroll_->setScrollerStyle(toolkit::ScrollerStyle::overlay);
  outputScroll_->setAutohidesScrollers(true);
  outputScroll_->setDrawsBackground(false);
  outputDocument_ = std::make_shared<QDLModernSurface>();
  outputScroll_->setDocumentView(outputDocument_);

  advancedToggle_ = toolkit::Button::buttonWithTitle(QDLL("更多设置", "More settings", "更多設定"),
                                                     [this](toolkit::Control& sender) { toggleAdvanced(sender); });
  advancedToggle_->setImagePosition(toolkit::ImagePosition::imageLeft);
  advancedToggle_->setAlignment(graphics::TextAlignment::left);
  advancedToggle_->setBordered(false);
}

void QDLModernWorkspace::buildSettingsPage() {
  auto settings = section("settings");
  QDLModernPlace(*settings, text(QDLT("启动命令"), 15), 24, 78, 220, 24);
  QDLModernPlace(*settings, text(QDLT("软件更新"), 15), 24, 180, 220, 24);
  QDLModernPlace(*settings, text(QDLT("安装管理"), 15), 24, 282, 220, 24);

  reverseScrollToggle_ = toolkit::Button::checkboxWithTitle(
      QDLT("反转滚轮方向"), [this](toolkit::Control& sender) { toggleReverseScroll(sender); });
  reverseScrollToggle_->setState(foundation::UserDefaults::standard().boolForKey(kReverseScrollKey)
                                     ? toolkit::control_state::on
                                     : toolkit::control_state::off);
  reverseScrollToggle_->setToolTip(QDLT("仅反转批打工具页面的上下滚动，不影响 CAD 或系统设置。"));
  QDLModernPlace(*settings, reverseScrollToggle_, 24, 400, 400, 28);

  QDLModernPlace(*settings, text(QDLT("语言"), 15), 24, 458, 220, 24);
  languageSetting_ = std::make_shared<toolkit::PopUpButton>(toolkit::Rect{}, false);
  for (const char* code : kLanguageCodes) {
    languageSetting_->addItemWithTitle(code);
    languageSetting_->lastItem()->setRepresentedObject(code);
  }
  languageSetting_->setAction(
      [this](toolkit::Control& sender) { chooseLanguage(static_cast<toolkit::PopUpButton&>(sender)); });
  QDLModernPlace(*settings, languageSetting_, 24, 492, 240, 30);
}

void QDLModernWorkspace::buildAboutPage() {
  auto about = section("about");
  aboutHeading_ = text(QDLL("由 Ferrolin 设计与开发", "Designed and built by Ferrolin", "由 Ferrolin 設計與開發"), 18);
  QDLModernPlace(*about, aboutHeading_, 24, 80, 440, 28);
  const auto version = controlAs<toolkit::TextField>("version");
  // Built once, in the language of this moment.
  auto line =
      text(foundation::format(QDLT("Ferrolin 批打工具 %@"), version ? version->stringValue() : std::string()), 14);
  QDLModernPlace(*about, line, 24, 126, 440, 24);
}

void QDLModernWorkspace::styleControls() {
  for (const auto& [key, symbol] : kTileSymbols) {
    if (auto button = controlAs<QDLModernButton>(key)) {
      button->setTile(true);
      button->setSymbolName(symbol);
    }
  }
  for (const auto& [key, symbol] : kIconSymbols) {
    if (auto button = controlAs<QDLModernButton>(key)) {
      const std::string title = button->title();
      button->setToolTip(title);
      button->setAccessibilityLabel(title);
      button->setTitle("");
      button->setSymbolName(symbol);
    }
  }
  for (const auto& [key, symbol] : kFurtherSymbols) {
    if (auto button = controlAs<QDLModernButton>(key)) button->setSymbolName(symbol);
  }

  if (auto diagnostics = controlAs<toolkit::Button>("diagnostics")) diagnostics->setTitle(QDLT("识别诊断"));
  if (auto resume = controlAs<toolkit::Button>("resume")) {
    resume->setTitle(QDLT("继续任务"));
    resume->setToolTip(QDLT("继续未完成任务"));
    resume->setAccessibilityLabel(resume->toolTip());
  }
  if (auto browse = controlAs<toolkit::Button>("browse")) {
    browse->setTitle("");
    browse->setToolTip(QDLT("选择输出位置"));
    browse->setAccessibilityLabel(browse->toolTip());
  }
  if (auto applyPaper = controlAs<toolkit::Button>("applyPaper")) {
    applyPaper->setTitle(QDLT("应用"));
    applyPaper->setAccessibilityLabel(QDLT("应用纸张到选中项"));
  }
  if (auto exportButton = controlAs<QDLModernButton>("export")) exportButton->setOutput(true);
  if (auto command = controlAs<toolkit::Button>("command")) command->setTitle(QDLT("修改启动命令"));
  setOwnWordings();

  for (const auto& [key, view] : controls_) {
    if (auto* modern = dynamic_cast<QDLModernButton*>(view.get())) modern->setCompact(true);
    if (auto* segmented = dynamic_cast<toolkit::SegmentedControl*>(view.get())) {
      segmented->setSegmentDistribution(toolkit::SegmentDistribution::fillEqually);
    }
    // Labels keep the fonts their owner gave them; what the user operates reads at one size.
    auto* field = dynamic_cast<toolkit::TextField*>(view.get());
    const bool operated = dynamic_cast<toolkit::Button*>(view.get()) != nullptr ||
                          dynamic_cast<toolkit::SegmentedControl*>(view.get()) != nullptr ||
                          (field != nullptr && field->isEditable());
    if (operated) static_cast<toolkit::Control*>(view.get())->setFont(Font::system(13));
  }

  if (auto table = controlAs<toolkit::TableView>("table")) {
    table->setRowHeight(32);
    table->setUsesAlternatingRowBackgroundColors(false);
    table->setBackgroundColor(Color::white());
  }
  if (auto scroll = controlAs<toolkit::ScrollView>("scroll")) scroll->setBorderType(toolkit::BorderType::noBorder);
}

void QDLModernWorkspace::setOwnWordings() {
  editionMenu_->setToolTip(QDLL("切换界面", "Switch interface", "切換介面"));
  editionMenu_->itemAtIndex(0)->setTitle(fullInterfaceName());
  editionMenu_->itemAtIndex(1)->setTitle(liteInterfaceName());
  // Selecting again shows the retitled item.
  editionMenu_->selectItemAtIndex(editionMenu_->indexOfSelectedItem());
  advancedToggle_->setTitle(QDLL("更多设置", "More settings", "更多設定"));
  if (aboutHeading_) {
    aboutHeading_->setStringValue(
        QDLL("由 Ferrolin 设计与开发", "Designed and built by Ferrolin", "由 Ferrolin 設計與開發"));
  }
  if (auto applyScale = controlAs<toolkit::Button>("applyScale")) {
    applyScale->setAccessibilityLabel(QDLL("应用比例到选中项", "Apply scale to selection", "套用比例到選取項目"));
  }
}

void QDLModernWorkspace::fitBrand() {
  // The sidebar is narrower than "Ferrolin" at 32 points and the English product name at 14: the sizes are the
  // most each line may have, and a line that would not fit takes the largest half-point size that does.
  for (const auto& [label, size] : {std::pair{brandLabel_.get(), 32.0}, std::pair{productLabel_.get(), 14.0}}) {
    double fitted = size;
    label->setFont(Font::system(fitted, FontWeight::semibold));
    while (fitted > 8 && label->TextField::intrinsicContentSize().width > label->frame().width()) {
      fitted -= 0.5;
      label->setFont(Font::system(fitted, FontWeight::semibold));
    }
  }
}

void QDLModernWorkspace::showPage(long page) {
  if (!isPageShown(page)) return;
  if (!canEndEditing()) return;
  page_ = page;
  reverseScrollToggle_->setState(foundation::UserDefaults::standard().boolForKey(kReverseScrollKey)
                                     ? toolkit::control_state::on
                                     : toolkit::control_state::off);
  for (const char* key : {"header", "recognition", "list", "output", "tools"}) {
    if (auto s = section(key)) s->setHidden(page != 0);
  }
  section("settings")->setHidden(page != 2);
  section("about")->setHidden(page != 3);
  for (const auto& button : navigationButtons_) {
    button->setState(button->tag() == page ? toolkit::control_state::on : toolkit::control_state::off);
  }
  if (auto exportButton = controlAs<toolkit::Button>("export")) exportButton->setKeyEquivalent(page == 0 ? "\r" : "");
  if (auto diagnostics = controlAs<toolkit::Button>("diagnostics")) diagnostics->setKeyEquivalent(page == 0 ? "d" : "");
  setNeedsLayout(true);
}

void QDLModernWorkspace::navigate(toolkit::Control& sender) { showPage(sender.tag()); }

void QDLModernWorkspace::changeEdition(toolkit::PopUpButton& menu) {
  const long chosen = menu.indexOfSelectedItem();
  menu.selectItemAtIndex(0);
  if (chosen != 1) return;
  const auto lite = controlAs<toolkit::Control>("lite");
  if (!lite || !lite->action()) return;
  const toolkit::Control::Action action = lite->action();
  toolkit::Application::shared().sendAction([&] { action(menu); });
}

void QDLModernWorkspace::toggleAdvanced(toolkit::Control&) {
  if (!canEndEditing()) return;
  advancedExpanded_ = !advancedExpanded_;
  advancedToggle_->setState(advancedExpanded_ ? toolkit::control_state::on : toolkit::control_state::off);
  setNeedsLayout(true);
}

void QDLModernWorkspace::toggleReverseScroll(toolkit::Control& sender) {
  const auto* checkbox = dynamic_cast<toolkit::Button*>(&sender);
  foundation::UserDefaults::standard().setBool(checkbox != nullptr && checkbox->state() == toolkit::control_state::on,
                                               kReverseScrollKey);
}

void QDLModernWorkspace::chooseLanguage(toolkit::PopUpButton& popUp) {
  if (!canEndEditing()) {
    refreshLanguageSetting();
    return;
  }
  const toolkit::MenuItem* item = popUp.selectedItem();
  QDLSetLanguagePreference(item != nullptr ? item->representedObject() : std::nullopt);
}

void QDLModernWorkspace::languageChanged() { refreshLanguageSetting(); }

void QDLModernWorkspace::refreshLanguageSetting() {
  const std::array<std::string, 4> titles = {QDLL("跟随 CAD", "Follow CAD", "跟隨 CAD"), "简体中文", "繁體中文",
                                             "English"};
  for (long i = 0; i < languageSetting_->numberOfItems() && i < static_cast<long>(titles.size()); ++i) {
    languageSetting_->itemAtIndex(i)->setTitle(titles[static_cast<std::size_t>(i)]);
  }
  languageSetting_->selectItemAtIndex(languageSetting_->indexOfItemWithRepresentedObject(QDLLanguagePreference()));
  languageSetting_->setAccessibilityLabel(QDLT("语言"));
}
