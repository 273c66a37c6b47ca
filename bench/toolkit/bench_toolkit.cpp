// Time per frame of a busy window: 300 controls and a 1,000-row table laid out afresh and drawn, then encoded
// as PNG, as it happens when a window is looked at after every step (target: under 50 ms on one core).

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/main_queue.h"
#include "graphics/cairo_context.h"
#include "toolkit/button.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/rendering.h"
#include "toolkit/scroll_view.h"
#include "toolkit/segmented_control.h"
#include "toolkit/table_view.h"
#include "toolkit/text_field.h"
#include "toolkit/window.h"

namespace {

using namespace toolkit;

class Sheets : public TableViewDataSource, public TableViewDelegate {
 public:
  long numberOfRowsInTableView(TableView&) override { return 1000; }
  std::shared_ptr<View> viewForTableColumn(TableView& table, TableColumn* column, long row) override {
    if (column->identifier() == "use") {
      auto box = Button::checkboxWithTitle("", nullptr);
      box->setState(row % 3 != 0 ? control_state::on : control_state::off);
      return box;
    }
    std::string text = column->identifier() == "name" ? "布局 Layout " + std::to_string(row + 1)
                       : column->identifier() == "paper" ? "A3｜297 × 420"
                                                         : std::to_string(row % 7 + 1) + " / 1:100";
    auto reused = table.makeViewWithIdentifier("cell");
    auto label = reused ? std::static_pointer_cast<TextField>(reused) : TextField::labelWithString("");
    label->setIdentifier("cell");
    label->setLineBreakMode(graphics::LineBreakMode::truncatingTail);
    label->setStringValue(text);
    return label;
  }
};

struct BusyWindow {
  Sheets sheets;
  std::shared_ptr<Window> window;
  std::shared_ptr<TableView> table;
  std::vector<std::shared_ptr<TextField>> labels;

  BusyWindow() {
    window = std::make_shared<Window>(Rect{0, 0, 1280, 900}, window_style::titled | window_style::closable);
    window->setTitle("批量打印 Batch print — 300 controls, 1,000 rows");
    View& content = *window->contentView();
    // 300 controls in 20 rows of 15, cycling through the standard kinds.
    for (int i = 0; i < 300; ++i) {
      const Rect frame{10.0 + (i % 15) * 84.0, 870.0 - (i / 15 + 1) * 26.0, 80, 22};
      std::shared_ptr<View> control;
      switch (i % 6) {
        case 0: control = Button::buttonWithTitle("按钮 " + std::to_string(i), nullptr); break;
        case 1: control = Button::checkboxWithTitle("Check " + std::to_string(i), nullptr); break;
        case 2: {
          auto label = TextField::labelWithString("标签 Label " + std::to_string(i));
          labels.push_back(label);
          control = label;
          break;
        }
        case 3: {
          auto popUp = std::make_shared<PopUpButton>();
          popUp->addItemsWithTitles({"A3", "A4", "A1"});
          control = popUp;
          break;
        }
        case 4: control = TextField::textFieldWithString("{序号}-{页面}"); break;
        default: {
          auto segments = SegmentedControl::withLabels({"布局", "模型"}, nullptr);
          segments->setSelectedSegment(0);
          control = segments;
          break;
        }
      }
      control->setFrame(frame);
      content.addSubview(control);
    }
    table = std::make_shared<TableView>();
    for (auto [id, title, width] : {std::tuple{"use", "", 24.0}, {"name", "名称 Name", 420.0},
                                    {"paper", "图纸 Paper", 300.0}, {"scale", "Scale", 200.0}}) {
      auto column = std::make_shared<TableColumn>(id);
      column->setHeaderTitle(title);
      column->setWidth(width);
      table->addTableColumn(column);
    }
    table->setUsesAlternatingRowBackgroundColors(true);
    table->setDataSource(&sheets);
    table->setDelegate(&sheets);
    auto scroll = std::make_shared<ScrollView>(Rect{10, 10, 1260, 330});
    scroll->setHasVerticalScroller(true);
    scroll->setBorderType(BorderType::bezelBorder);
    scroll->setDocumentView(table);
    content.addSubview(scroll);
    window->makeKeyAndOrderFront();
  }
  ~BusyWindow() {
    table->setDelegate(nullptr);
    table->setDataSource(nullptr);
  }

  // What a step changes: every label's text, the table's rows and its scroll position.
  void step(long frame) {
    for (auto& label : labels) label->setStringValue("第 " + std::to_string(frame) + " 步 Step");
    table->reloadData();
    table->scrollRowToVisible((frame * 37) % 1000);
  }
};

void layoutDrawAndEncode(benchmark::State& state) {
  foundation::MainQueue::main().setMainThread();
  BusyWindow busy;
  long frame = 0;
  for (auto _ : state) {
    busy.step(++frame);
    const std::string png = windowPNGData(*busy.window, 1);
    benchmark::DoNotOptimize(png.data());
  }
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(layoutDrawAndEncode)->Unit(benchmark::kMillisecond)->UseRealTime();

void layoutAndDraw(benchmark::State& state) {
  foundation::MainQueue::main().setMainThread();
  BusyWindow busy;
  auto context = graphics::CairoContext::bitmap(busy.window->frame().width(), busy.window->frame().height());
  long frame = 0;
  for (auto _ : state) {
    busy.step(++frame);
    drawWindow(*busy.window, *context);
  }
}
BENCHMARK(layoutAndDraw)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
