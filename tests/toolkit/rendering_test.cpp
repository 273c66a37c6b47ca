// Windows drawn: every visible view in its place and the right way up, hidden ones and rows out of view not at
// all, and the whole window written as PNG.

#include "foundation/files.h"
#include "graphics/cairo_context.h"
#include "graphics/recording_context.h"
#include "toolkit/button.h"
#include "toolkit/rendering.h"
#include "toolkit/scroll_view.h"
#include "toolkit/table_view.h"
#include "toolkit/text_field.h"
#include "toolkit_fixture.h"

namespace toolkit_test {
namespace {

using namespace toolkit;

// Fills a 10 × 10 square at its own origin: the bottom-left corner, or the top-left when flipped.
class Marker : public View {
 public:
  Marker(const Rect& frame, bool flipped, graphics::Color color) : View(frame), color_(color) { setFlipped(flipped); }
  void drawRect(graphics::GraphicsContext& context, const Rect&) override { context.fillRect({0, 0, 10, 10}, color_); }

 private:
  graphics::Color color_;
};

bool near(const graphics::Color& a, const graphics::Color& b) {
  return std::abs(a.red() - b.red()) < 0.02 && std::abs(a.green() - b.green()) < 0.02 &&
         std::abs(a.blue() - b.blue()) < 0.02;
}

class RenderingTest : public ToolkitTest {};

TEST_F(RenderingTest, ViewsDrawInTheirOwnCoordinatesTheRightWayUp) {
  auto w = shownWindow(200, 100);  // the window is 128 high with its title bar
  const auto red = graphics::Color::srgb(1, 0, 0), blue = graphics::Color::srgb(0, 0, 1);
  w->contentView()->addSubview(std::make_shared<Marker>(Rect{20, 20, 40, 40}, false, red));
  w->contentView()->addSubview(std::make_shared<Marker>(Rect{100, 20, 40, 40}, true, blue));
  auto layered = std::make_shared<View>(Rect{160, 0, 40, 100});
  layered->setWantsLayer(true);
  layered->layer()->backgroundColor = graphics::Color::srgb(0, 1, 0);
  w->contentView()->addSubview(layered);
  auto context = graphics::CairoContext::bitmap(200, 128, 2);
  ASSERT_TRUE(context);
  drawWindow(*w, *context);
  // Device pixels run down from the top-left at twice the size. The unflipped marker's square is at the bottom
  // of its 40-point box (window y 20…30, device y 196…216); the flipped one's at the top (window y 50…60).
  EXPECT_TRUE(near(context->pixel(50, 206), red));
  EXPECT_TRUE(near(context->pixel(210, 146), blue));
  EXPECT_FALSE(near(context->pixel(210, 206), blue));
  EXPECT_TRUE(near(context->pixel(340, 150), graphics::Color::srgb(0, 1, 0)));
}

TEST_F(RenderingTest, HiddenViewsAndRowsOutOfViewAreNotDrawn) {
  struct Rows : TableViewDataSource, TableViewDelegate {
    long numberOfRowsInTableView(TableView&) override { return 1000; }
    std::shared_ptr<View> viewForTableColumn(TableView&, TableColumn*, long row) override {
      return TextField::labelWithString("row " + std::to_string(row));
    }
  } rows;
  auto w = shownWindow(300, 200);
  auto label = TextField::labelWithString("Shown");
  auto hidden = TextField::labelWithString("Hidden");
  hidden->setHidden(true);
  label->setFrame({10, 170, 100, 20});
  w->contentView()->addSubview(label);
  w->contentView()->addSubview(hidden);
  auto table = std::make_shared<TableView>();
  table->addTableColumn(std::make_shared<TableColumn>("name"));
  table->setDataSource(&rows);
  table->setDelegate(&rows);
  auto scroll = std::make_shared<ScrollView>(Rect{0, 0, 300, 123});  // 100 points of rows
  scroll->setDocumentView(table);
  w->contentView()->addSubview(scroll);
  graphics::RecordingContext context;
  drawWindow(*w, context);
  const auto texts = context.texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Shown"), texts.end());
  EXPECT_EQ(std::find(texts.begin(), texts.end(), "Hidden"), texts.end());
  const auto drawnRows = std::count_if(texts.begin(), texts.end(), [](const std::string& t) { return t.rfind("row ", 0) == 0; });
  EXPECT_EQ(drawnRows, 4);  // 100 points of 26-point rows
  table->setDelegate(nullptr);
  table->setDataSource(nullptr);
}

TEST_F(RenderingTest, AButtonsImageGoesWithItsTitleWhereTheAlignmentPutsIt) {
  // Fixed advances: "More" at 13 points is 26 wide; the chevron is 12 wide, 4 before the title.
  struct Case {
    graphics::TextAlignment alignment;
    double imageX;
  };
  for (const Case& c : {Case{graphics::TextAlignment::left, 0}, Case{graphics::TextAlignment::natural, 79},
                        Case{graphics::TextAlignment::right, 158}}) {
    auto button = Button::buttonWithTitle("More", nullptr);
    button->setImage(graphics::Image::systemSymbol("chevron.right"));
    button->setImagePosition(ImagePosition::imageLeft);
    button->setBordered(false);
    button->setAlignment(c.alignment);
    button->setFrame({0, 0, 200, 28});
    graphics::RecordingContext context;
    button->drawRect(context, button->bounds());
    const auto images = context.operations(graphics::RecordedOperation::Kind::image);
    const auto texts = context.operations(graphics::RecordedOperation::Kind::text);
    ASSERT_EQ(images.size(), 1u);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(images[0]->image.rect.minX(), c.imageX);
    EXPECT_EQ(texts[0]->text.rect.minX(), c.imageX + 16);
  }
}

// The plate composited over the window's background, against the title's ink: the title reads in either appearance.
TEST_F(RenderingTest, APushButtonsTitleStandsOutFromItsPlateInEitherAppearance) {
  for (const auto appearance : {graphics::Appearance::aqua, graphics::Appearance::darkAqua}) {
    SCOPED_TRACE(appearance == graphics::Appearance::aqua ? "aqua" : "dark");
    auto button = Button::buttonWithTitle("Cancel", nullptr);
    button->setFrame({0, 0, 112, 32});
    graphics::RecordingContext context;
    context.setAppearance(appearance);
    button->drawRect(context, button->bounds());
    const auto fills = context.operations(graphics::RecordedOperation::Kind::fill);
    const auto texts = context.operations(graphics::RecordedOperation::Kind::text);
    ASSERT_EQ(fills.size(), 1u);
    ASSERT_EQ(texts.size(), 1u);
    const graphics::Color window = graphics::Color::named(graphics::SystemColor::windowBackground).resolved(appearance);
    const graphics::Color plate = fills[0]->color;
    const double plateGrey = window.red() * (1 - plate.alpha()) + plate.red() * plate.alpha();
    EXPECT_GT(std::abs(texts[0]->text.attributes.color.red() - plateGrey), 0.45);
  }
}

TEST_F(RenderingTest, AWindowWritesAsAPNGOfItsSizeAtTheScale) {
  auto w = shownWindow(320, 200);
  w->setTitle("导出 Export");
  auto button = Button::buttonWithTitle("输出 PDF", nullptr);
  button->setFrameOrigin({20, 20});
  w->contentView()->addSubview(button);
  const std::string file = path("window.png");
  EXPECT_EQ(renderWindowToPNG(*w, file, 2), "");
  const std::string png = foundation::readFile(file).data;
  ASSERT_GT(png.size(), 24u);
  auto be32 = [&](std::size_t at) {
    return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
           (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
  };
  EXPECT_EQ(be32(16), 640u);
  EXPECT_EQ(be32(20), 456u);  // (200 + 28) × 2
  EXPECT_NE(renderWindowToPNG(*w, path("no/folder/w.png")), "");
  EXPECT_NE(renderWindowToPNG(*w, file, 0), "");
}

}  // namespace
}  // namespace toolkit_test
