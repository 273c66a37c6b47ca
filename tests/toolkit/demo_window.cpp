#include "demo_window.h"

#include <cmath>
#include <numbers>

#include "toolkit/alert.h"
#include "toolkit/button.h"
#include "toolkit/image_view.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/text_field.h"

namespace toolkit_demo {

namespace {

using namespace toolkit;

// A ring that shows a share of ten, drawn by the view itself, with its figure in the middle.
class Gauge final : public View {
 public:
  explicit Gauge(const Rect& frame) : View(frame) {}
  void setValue(int value) {
    value_ = value;
    setNeedsDisplay();
  }
  void drawRect(graphics::GraphicsContext& context, const Rect&) override {
    const Rect box = bounds();
    const graphics::Point centre = box.center();
    const double radius = std::min(box.width(), box.height()) / 2 - 6;
    graphics::BezierPath track;
    track.addArc(centre, radius, std::numbers::pi / 2, -3 * std::numbers::pi / 2, true);
    track.lineWidth = 6;
    context.strokePath(track, graphics::Color::grey(0.88));
    graphics::BezierPath arc = track.trimmed(0, std::min(value_, 10) / 10.0);
    arc.lineWidth = 6;
    arc.lineCap = graphics::LineCap::round;
    if (!arc.isEmpty()) context.strokePath(arc, graphics::Color::srgb(0.15, 0.43, 0.95));
    const graphics::Font font = graphics::Font::monospacedDigitSystem(20, graphics::FontWeight::semibold);
    context.drawString(std::to_string(value_), Rect{box.minX(), centre.y - font.lineHeight() / 2, box.width(), font.lineHeight()},
                       {font, graphics::Color::named(graphics::SystemColor::label), {graphics::TextAlignment::center, graphics::LineBreakMode::clipping}});
  }

 private:
  int value_ = 0;
};

struct DemoState {
  int count = 0;
  std::weak_ptr<TextField> label;
  std::weak_ptr<Gauge> gauge;
  Report report;

  void show() {
    const std::string text = "计数 Count: " + std::to_string(count);
    if (auto l = label.lock()) l->setStringValue(text);
    if (auto g = gauge.lock()) g->setValue(count);
    report(text);
  }
};

std::shared_ptr<TextField> label(const std::string& text, const Rect& frame) {
  auto l = TextField::labelWithString(text);
  l->setFrame(frame);
  return l;
}

}  // namespace

std::shared_ptr<Window> makeDemoWindow(Report report) {
  auto window = std::make_shared<Panel>(Rect{0, 0, 420, 260}, window_style::titled | window_style::closable);
  window->setIdentifier("demo");
  window->setTitle("工具包演示 Toolkit demo");
  auto state = std::make_shared<DemoState>();
  state->report = std::move(report);
  View& content = *window->contentView();

  auto heading = label("批量打印 · Batch printing", {20, 215, 280, 24});
  heading->setFont(graphics::Font::system(16, graphics::FontWeight::semibold));
  content.addSubview(heading);
  content.addSubview(ImageView::withImage(graphics::Image::systemSymbol("printer")->withPalette(graphics::Color::srgb(0.15, 0.43, 0.95))));
  content.subviews().back()->setFrame({370, 212, 28, 28});

  auto count = label("计数 Count: 0", {20, 180, 200, 20});
  count->setIdentifier("count");
  content.addSubview(count);
  state->label = count;

  auto add = Button::buttonWithTitle("加一 Add one", [state](Control&) {
    ++state->count;
    state->show();
  });
  add->setIdentifier("add");
  add->setKeyEquivalent(key::carriageReturn);
  add->setFrame({20, 140, 130, 30});
  content.addSubview(add);

  auto reset = Button::buttonWithTitle("归零 Reset…", [state](Control&) {
    Alert alert;
    alert.setMessageText("把计数归零？");
    alert.setInformativeText("Reset the count to zero?");
    alert.addButtonWithTitle("归零 Reset");
    alert.addButtonWithTitle("Cancel");
    if (alert.runModal() != kAlertFirstButtonReturn) return;
    state->count = 0;
    state->show();
  });
  reset->setIdentifier("reset");
  reset->setFrame({160, 140, 130, 30});
  content.addSubview(reset);

  auto name = TextField::textFieldWithString("");
  name->setIdentifier("name");
  name->setPlaceholderString("图纸名称 Sheet name");
  name->setFrame({20, 100, 270, 24});
  name->setAction([state](Control& c) { state->report("名称 Name: " + static_cast<TextField&>(c).stringValue()); });
  content.addSubview(name);

  auto paper = std::make_shared<PopUpButton>(Rect{20, 60, 150, 26});
  paper->setIdentifier("paper");
  paper->addItemsWithTitles({"A3｜297 × 420", "A4｜210 × 297", "A1｜594 × 841"});
  paper->setAction([state](Control& c) { state->report("纸张 Paper: " + static_cast<PopUpButton&>(c).titleOfSelectedItem()); });
  content.addSubview(paper);

  auto overwrite = Button::checkboxWithTitle("覆盖已有文件 Overwrite", [state](Control& c) {
    state->report(std::string("覆盖 Overwrite: ") + (static_cast<Button&>(c).state() == control_state::on ? "on" : "off"));
  });
  overwrite->setIdentifier("overwrite");
  overwrite->setFrame({20, 25, 240, 20});
  content.addSubview(overwrite);

  auto gauge = std::make_shared<Gauge>(Rect{310, 40, 90, 90});
  gauge->setIdentifier("gauge");
  content.addSubview(gauge);
  state->gauge = gauge;
  return window;
}

}  // namespace toolkit_demo
