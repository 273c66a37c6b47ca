#include "panels/lite_panel_window.h"

#include <algorithm>
#include <cmath>

#include "foundation/format.h"
#include "foundation/notification_center.h"
#include "foundation/user_defaults.h"
#include "graphics/color.h"
#include "graphics/font.h"
#include "graphics/image.h"
#include "toolkit/application.h"
#include "toolkit/button.h"
#include "toolkit/menu.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/text_field.h"
#include "ui/application_panel.h"
#include "ui/compact_label.h"
#include "ui/localisation.h"
#include "ui/modern_button.h"
#include "ui/modern_surface.h"

namespace {

constexpr double kWidth = 380;
constexpr double kBaseHeight = 420;
constexpr double kOptionRowHeight = 76;
constexpr long kLastPaperMode = 5;  // A0

constexpr char kPaperModeKey[] = "Quodline.LitePaperMode";
constexpr char kPlotStyleKey[] = "Quodline.LitePlotStyle";
constexpr char kMergeKey[] = "Quodline.LiteMergePDF";

foundation::UserDefaults& defaults() { return foundation::UserDefaults::standard(); }

// The monochrome style's name as the pop-up shows it; also inside "unavailable", in every language.
std::string monoTitle() { return QDLL("黑白 · 0.05 mm", "Mono · 0.05 mm", "黑白 · 0.05 mm"); }

// The button texts: title, tooltip.
struct ButtonTexts {
  std::string title;
  std::string toolTip;
};

ButtonTexts textsOf(const std::string& key) {
  if (key == "automatic") {
    return {QDLL("自动识别", "Auto", "自動識別"), QDLL("自动识别图框", "Automatically detect frames", "自動識別圖框")};
  }
  if (key == "range") {
    return {QDLL("框选范围", "Select", "框選範圍"), QDLL("框选打印范围", "Select print area", "框選列印範圍")};
  }
  if (key == "showRanges") {
    return {QDLL("显示范围", "Show", "顯示範圍"), QDLL("显示打印范围", "Show print areas", "顯示列印範圍")};
  }
  if (key == "output") {
    const std::string title = QDLL("输出 PDF", "Export PDF", "輸出 PDF");
    return {title, title};
  }
  if (key == "pro") {
    const std::string title = QDLL("切换到专业版", "Switch to Pro", "切換到專業版");
    return {title, title};
  }
  return {"", QDLL("设置", "Settings", "設定")};
}

// The alignment rectangle is the frame here: the toolkit's controls draw to their frames' edges.
void QDLLiteAlign(toolkit::View& view, const toolkit::Rect& rect) { view.setFrame(rect); }

}  // namespace

bool QDLLiteWantsMergedOutput(bool allowed) {
  return allowed && defaults().hasKey(kMergeKey) && defaults().boolForKey(kMergeKey);
}

long QDLLiteSavedPaperMode() {
  const std::int64_t stored = defaults().integerForKey(kPaperModeKey);
  return static_cast<long>(std::clamp<std::int64_t>(stored, 0, kLastPaperMode));
}

std::string QDLLiteSavedPlotStyle(bool namedStyles) {
  if (std::optional<std::string> saved = defaults().stringForKey(kPlotStyleKey)) return *saved;
  return namedStyles ? std::string() : std::string(QDLLiteFixedStyleChoice);
}

QDLLitePanel::QDLLitePanel() {
  using namespace toolkit::window_style;
  panel_ = std::make_shared<QDLApplicationPanel>(toolkit::Rect{0, 0, kWidth, kBaseHeight},
                                                 titled | closable | miniaturizable | fullSizeContentView,
                                                 toolkit::BackingStore::buffered, false);
  panel_->setIdentifier("batchPrintLite");
  panel_->setAppearance(graphics::Appearance::aqua);
  panel_->setTitleVisibility(toolkit::TitleVisibility::hidden);
  panel_->setTitlebarAppearsTransparent(true);
  panel_->setTitlebarSeparatorStyle(toolkit::TitlebarSeparatorStyle::none);
  panel_->setMovableByWindowBackground(true);
  panel_->setReleasedWhenClosed(false);
  panel_->setDelegate(this);
  QDLConfigureApplicationPanel(*panel_);

  auto content = std::make_shared<QDLModernSurface>(toolkit::Rect{0, 0, kWidth, kBaseHeight});
  content->setFill(graphics::Color::named(graphics::SystemColor::windowBackground));
  content->setRadius(0);
  panel_->setContentView(content);

  auto header = std::make_shared<QDLModernSurface>(toolkit::Rect{0, 0, kWidth, 125});
  header->setFill(graphics::Color::srgb(0.345, 0.463, 0.553));
  header->setRadius(0);
  content->addSubview(header);
  header_ = header;

  brand_ = label("brand", {20, 42, 250, 28}, 18);
  brand_->setTextColor(graphics::Color::white());
  makeButton("gearshape", "settings", {322, 40, 36, 30});
  filename_ = label("filename", {20, 146, 340, 28}, 18);
  status_ = label("status", {20, 180, 340, 24}, 12);
  status_->setTextColor(graphics::Color::srgb(0.188, 0.588, 0.678));  // the system's teal on a light window
  selection_ = label("selection", {20, 209, 340, 20}, 11);
  selection_->setTextColor(graphics::Color::named(graphics::SystemColor::secondaryLabel));
  makeButton("sparkles", "automatic", {});
  makeButton("cursorarrow.and.square.on.square.dashed", "range", {});
  makeButton("eye", "showRanges", {});
  output_ = makeButton("printer", "output", {});
  makeButton("arrow.up.right", "pro", {});
  paperLabel_ = label("paperLabel", {20, 248, 80, 20}, 12);
  styleLabel_ = label("styleLabel", {20, 286, 80, 20}, 12);

  paperMode_ = std::make_shared<toolkit::PopUpButton>();
  paperMode_->setIdentifier("paperMode");
  paperMode_->addItemsWithTitles({QDLT("自动"), "A4", "A3", "A2", "A1", "A0"});
  paperMode_->selectItemAtIndex(QDLLiteSavedPaperMode());
  plotStyleMode_ = std::make_shared<toolkit::PopUpButton>();
  plotStyleMode_->setIdentifier("plotStyleMode");
  for (const auto& popUp : {paperMode_, plotStyleMode_}) {
    popUp->setFont(graphics::Font::system(12));
    popUp->setAction([this](toolkit::Control& sender) { optionsChanged(dynamic_cast<toolkit::PopUpButton&>(sender)); });
    content->addSubview(popUp);
  }
  mergePDF_ = toolkit::Button::checkboxWithTitle(
      "", [this](toolkit::Control& sender) { mergeChanged(dynamic_cast<toolkit::Button&>(sender)); });
  mergePDF_->setIdentifier("mergePDF");
  mergePDF_->setFont(graphics::Font::system(12));
  content->addSubview(mergePDF_);

  setProOptionsVisible(false);
  foundation::NotificationCenter::defaultCenter().addObserver(
      QDLLanguageChanged, nullptr, [this](const auto&) { applyLanguage(); }, this);
  applyLanguage();
  panel_->center();
}

QDLLitePanel::~QDLLitePanel() {
  foundation::NotificationCenter::defaultCenter().removeObserversOwnedBy(this);
  if (panel_->delegate() == this) panel_->setDelegate(nullptr);
  panel_->orderOut();
}

std::shared_ptr<toolkit::TextField> QDLLitePanel::label(const std::string& identifier, const toolkit::Rect& frame,
                                                        double size) {
  std::shared_ptr<QDLCompactLabel> text = QDLCompactText("");
  text->setIdentifier(identifier);
  text->setFont(graphics::Font::system(size));
  text->setFrame(frame);
  panel_->contentView()->addSubview(text);
  return text;
}

std::shared_ptr<toolkit::Button> QDLLitePanel::makeButton(const std::string& symbol, const std::string& key,
                                                          const toolkit::Rect& frame) {
  const ButtonTexts texts = textsOf(key);
  auto action = [this, key](toolkit::Control&) { pressed(key); };
  std::shared_ptr<toolkit::Button> button;
  if (key == "output") {
    std::shared_ptr<QDLModernButton> modern = QDLModernButton::buttonWithTitle(texts.title, action);
    modern->setOutput(true);
    modern->setSymbolName(symbol);
    button = modern;
  } else {
    button = toolkit::Button::buttonWithTitle(texts.title, action);
    button->setImage(graphics::Image::systemSymbol(symbol, texts.title));
  }
  button->setIdentifier(key);
  button->setFrame(frame);
  button->setBezelStyle(toolkit::BezelStyle::push);
  button->setImagePosition(toolkit::ImagePosition::imageLeft);
  button->setToolTip(texts.toolTip);
  panel_->contentView()->addSubview(button);
  buttons_[key] = button;
  return button;
}

toolkit::Button* QDLLitePanel::button(const std::string& key) const {
  const auto found = buttons_.find(key);
  return found == buttons_.end() ? nullptr : found->second.get();
}

void QDLLitePanel::setProOptionsVisible(bool visible) {
  proOptionsVisible_ = visible;
  for (toolkit::View* view : std::initializer_list<toolkit::View*>{paperLabel_.get(), styleLabel_.get(),
                                                                    paperMode_.get(), plotStyleMode_.get(),
                                                                    mergePDF_.get()}) {
    view->setHidden(!visible);
  }
  paperMode_->setEnabled(visible);
  plotStyleMode_->setEnabled(visible);
  mergePDF_->setEnabled(visible);
  mergePDF_->setState(QDLLiteWantsMergedOutput(visible) ? 1 : 0);
  layoutControls();

  const double height = kBaseHeight + (visible ? kOptionRowHeight : 0);
  const double delta = height - panel_->contentView()->frame().size.height;
  if (std::fabs(delta) > 0.5) {
    toolkit::Rect frame = panel_->frame();
    frame.origin.y -= delta;
    frame.size.height += delta;
    panel_->setFrame(frame, true);
  }
}

void QDLLitePanel::layoutControls() {
  const double d = proOptionsVisible_ ? kOptionRowHeight : 0;
  QDLLiteAlign(*brand_, {20, 42, 250, 28});
  QDLLiteAlign(*filename_, {20, 146, 340, 28});
  QDLLiteAlign(*status_, {20, 180, 340, 24});
  QDLLiteAlign(*selection_, {20, 209, 340, 20});
  QDLLiteAlign(*paperLabel_, {20, 248, 80, 20});
  const toolkit::Size check = mergePDF_->intrinsicContentSize();
  const double w = check.width;
  const double h = 24;
  QDLLiteAlign(*mergePDF_, {360 - w, 258 - h / 2, w, h});
  QDLLiteAlign(*paperMode_, {108, 244, (360 - w - 24) - 108, 28});
  QDLLiteAlign(*styleLabel_, {20, 286, 80, 20});
  QDLLiteAlign(*plotStyleMode_, {108, 282, 252, 28});
  const char* actions[] = {"automatic", "range", "showRanges"};
  for (int i = 0; i < 3; ++i) QDLLiteAlign(*buttons_.at(actions[i]), {20 + 116.0 * i, 250 + d, 108, 28});
  QDLLiteAlign(*output_, {20, 291 + d, 340, 38});
  QDLLiteAlign(*buttons_.at("pro"), {20, 345 + d, 340, 28});
}

void QDLLitePanel::setButtonTexts(const std::string& key, const std::string& title, const std::string& toolTip) {
  toolkit::Button& b = *buttons_.at(key);
  b.setTitle(title);
  b.setToolTip(toolTip);
  // The pictures speak for the three small buttons; their tooltips say what they do.
  const bool byToolTip = key == "range" || key == "showRanges";
  b.setAccessibilityLabel(byToolTip ? toolTip : title);
  if (key != "output" && b.image()) {
    b.setImage(graphics::Image::systemSymbol(b.image()->symbolName(), title));
  }
  b.setNeedsDisplay();
}

void QDLLitePanel::applyLanguage() {
  panel_->setTitle(QDLL("Ferrolin 批打工具 · 精简版", "Ferrolin Duzoz Ared · Lite", "Ferrolin 批打工具 · 精簡版"));
  brand_->setStringValue(QDLL("Ferrolin  批打工具", "Ferrolin  Duzoz Ared", "Ferrolin  批打工具"));
  paperLabel_->setStringValue(QDLT("纸张"));
  styleLabel_->setStringValue(QDLT("打印样式"));
  const std::string merge = QDLL("合并 PDF", "Merge PDF", "合併 PDF");
  mergePDF_->setTitle(merge);
  mergePDF_->setToolTip(QDLL("将本次图纸合并为一个 PDF", "Combine this export into one PDF", "將本次圖紙合併為一個 PDF"));
  mergePDF_->setAccessibilityLabel(merge);
  if (toolkit::MenuItem* automatic = paperMode_->itemAtIndex(0)) automatic->setTitle(QDLT("自动"));
  paperMode_->selectItemAtIndex(paperMode_->indexOfSelectedItem());  // the shown title follows the item's
  paperMode_->setAccessibilityLabel(paperLabel_->stringValue());
  plotStyleMode_->setAccessibilityLabel(styleLabel_->stringValue());
  if (stylesLoaded_) reloadPlotStyles(std::vector<std::string>(availableStyles_), namedStyles_);
  for (const char* key : {"automatic", "range", "showRanges", "output", "pro", "settings"}) {
    const ButtonTexts texts = textsOf(key);
    setButtonTexts(key, texts.title, texts.toolTip);
  }
  buttons_.at("settings")->setAccessibilityLabel(textsOf("settings").toolTip);
  layoutControls();
}

void QDLLitePanel::reloadPlotStyles(const std::vector<std::string>& styles, bool namedStyles) {
  availableStyles_ = styles;
  namedStyles_ = namedStyles;
  stylesLoaded_ = true;
  const std::string saved = QDLLiteSavedPlotStyle(namedStyles);

  toolkit::PopUpButton& popUp = *plotStyleMode_;
  popUp.removeAllItems();
  auto add = [&popUp](const std::string& title, const std::string& value) {
    popUp.addItemWithTitle(title);
    // Titles may repeat (a style listed twice); the item just added is the last one.
    popUp.lastItem()->setRepresentedObject(value);
  };
  if (!namedStyles) add(monoTitle(), QDLLiteFixedStyleChoice);
  add(QDLT("按布局设置"), "");
  for (const std::string& name : styles) add(name, name);

  long selected = -1;
  for (long i = 0; i < popUp.numberOfItems(); ++i) {
    if (popUp.itemAtIndex(i)->representedObject().value_or("") == saved) selected = i;
  }
  if (selected < 0) {
    const std::string shown = saved == QDLLiteFixedStyleChoice ? std::string("Mono · 0.05 mm") : saved;
    add(foundation::format(QDLL("不可用：%@", "Unavailable: %@", "不可用：%@"), shown), saved);
    selected = popUp.numberOfItems() - 1;
  }
  popUp.selectItemAtIndex(selected);
  popUp.setToolTip(popUp.titleOfSelectedItem());
}

std::shared_ptr<toolkit::Menu> QDLLitePanel::settingsMenu() {
  auto menu = std::make_shared<toolkit::Menu>();
  std::shared_ptr<toolkit::MenuItem> folder = menu->addItemWithTitle(
      QDLL("输出位置…", "Output folder…", "輸出位置…"), [this](toolkit::MenuItem& item) {
        report(item.representedObject().value_or(""));
      });
  folder->setRepresentedObject("folder");
  folder->setIdentifier("folder");
  menu->addItem(toolkit::MenuItem::separatorItem());
  std::shared_ptr<toolkit::MenuItem> language = menu->addItemWithTitle(QDLL("语言", "Language", "語言"));
  language->setIdentifier("language");
  auto languages = std::make_shared<toolkit::Menu>();
  const std::string preference = QDLLanguagePreference();
  const std::pair<std::string, std::string> choices[] = {
      {QDLL("跟随 CAD", "Follow CAD", "跟隨 CAD"), "auto"},
      {"简体中文", "zh"},
      {"繁體中文", "zh-Hant"},
      {"English", "en"},
  };
  for (const auto& [title, code] : choices) {
    std::shared_ptr<toolkit::MenuItem> item = languages->addItemWithTitle(
        title, [this](toolkit::MenuItem& chosen) { chooseLanguage(chosen.representedObject().value_or("")); });
    item->setRepresentedObject(code);
    item->setIdentifier(code);
    item->setState(code == preference ? 1 : 0);
  }
  language->setSubmenu(languages);
  return menu;
}

void QDLLitePanel::optionsChanged(toolkit::PopUpButton& sender) {
  if (!proOptionsVisible_) return;
  if (&sender == paperMode_.get()) {
    static_cast<void>(defaults().setInteger(sender.indexOfSelectedItem(), kPaperModeKey));
  } else if (&sender == plotStyleMode_.get()) {
    toolkit::MenuItem* item = sender.selectedItem();
    static_cast<void>(defaults().setString(item ? item->representedObject().value_or("") : "", kPlotStyleKey));
  }
  sender.setToolTip(sender.titleOfSelectedItem());
}

void QDLLitePanel::mergeChanged(toolkit::Button& sender) {
  if (!proOptionsVisible_ || !sender.isEnabled()) return;
  static_cast<void>(defaults().setBool(sender.state() == 1, kMergeKey));
  report("mergeMode");
}

void QDLLitePanel::pressed(const std::string& key) { report(key); }

void QDLLitePanel::chooseLanguage(const std::string& code) {
  if (!QDLSetLanguagePreference(code)) return;
  applyLanguage();
  report("language");
}

void QDLLitePanel::report(const std::string& key) {
  if (actionHandler_) actionHandler_(key);
}

bool QDLLitePanel::windowShouldClose(toolkit::Window& window) {
  window.orderOut();
  return false;
}
