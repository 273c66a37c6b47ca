// The modern button's look in its states and styles, as drawn into a recording, and the size it asks for.

#include <gtest/gtest.h>

#include <string>

#include "graphics/bezier_path.h"
#include "kit_fixture.h"
#include "ui/modern_button.h"
#include "ui/palette.h"

namespace ui_test {
namespace {

using graphics::Color;
using graphics::FontWeight;
using graphics::RecordedOperation;
using graphics::TextAlignment;
using toolkit::Rect;

class ModernButtonTest : public KitTest {
 protected:
  static std::shared_ptr<QDLModernButton> button(const std::string& title, const std::string& symbol, Rect frame) {
    auto b = QDLModernButton::buttonWithTitle(title, {});
    b->setSymbolName(symbol);
    b->setFrame(frame);
    return b;
  }
};

TEST_F(ModernButtonTest, FactoryMakesABorderlessMomentaryButtonWithTheMediumFont) {
  int fired = 0;
  auto b = QDLModernButton::buttonWithTitle("应用", [&](toolkit::Control&) { ++fired; });
  EXPECT_EQ(b->title(), "应用");
  EXPECT_EQ(b->frame(), Rect{});
  EXPECT_EQ(b->buttonType(), toolkit::ButtonType::momentaryPushIn);
  EXPECT_FALSE(b->isBordered());
  EXPECT_EQ(b->font(), graphics::Font::system(13, FontWeight::medium));
  EXPECT_TRUE(b->isFlipped());
  EXPECT_FALSE(b->tile() || b->navigation() || b->primary() || b->output() || b->compact());
  EXPECT_TRUE(b->symbolName().empty());
  b->performClick();
  EXPECT_EQ(fired, 1);
}

struct LookCase {
  const char* name;
  bool navigation, primary, output, compact;
  long state;
  bool enabled, highlighted;
  Color plate;
  double radius;
  Color title;  // alpha included
  Color tint;
  double fontSize;
  bool semibold;
  bool bar;
};

TEST_F(ModernButtonTest, PlateTitleAndSymbolFollowTheStyleAndState) {
  const Color white = Color::white();
  const LookCase cases[] = {
      {"ordinary", false, false, false, false, 0, true, false, QDLModernPale(), 6, QDLModernInk(), QDLModernBlue(), 13,
       false, false},
      {"ordinary pressed", false, false, false, false, 0, true, true, QDLModernPale().blended(0.12, Color::black()), 6,
       QDLModernInk(), QDLModernBlue(), 13, false, false},
      {"ordinary disabled", false, false, false, false, 0, false, true, QDLModernPale(), 6,
       QDLModernInk().withAlpha(0.35), QDLModernBlue().withAlpha(0.35), 13, false, false},
      {"primary", false, true, false, false, 0, true, false, QDLModernBlue(), 6, white, white, 13, true, false},
      {"primary disabled and pressed keeps its plate", false, true, false, false, 0, false, true, QDLModernBlue(), 6,
       white.withAlpha(0.35), white.withAlpha(0.35), 13, true, false},
      {"output", false, false, true, false, 0, true, false, QDLModernOutput(), 6, white, white, 16, true, false},
      {"output compact", false, false, true, true, 0, true, false, QDLModernOutput(), 6, white, white, 15, true, false},
      {"navigation off", true, false, false, false, 0, true, false, QDLModernSidebar(), 0, white, white, 14, true,
       false},
      {"navigation on", true, false, false, true, 1, true, false, QDLModernSelection(), 0, QDLModernSidebar(),
       QDLModernSidebar(), 13, true, true},
      {"navigation primary off stays accented", true, true, false, false, 0, true, false, QDLModernSelection(), 0,
       white, white, 14, true, false},
      {"ordinary compact pressed", false, false, false, true, 1, true, true,
       QDLModernPale().blended(0.12, Color::black()), 6, QDLModernInk(), QDLModernBlue(), 12, false, false},
  };
  for (const LookCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto b = button("应用", "plus", {0, 0, 120, 40});
    b->setNavigation(c.navigation);
    b->setPrimary(c.primary);
    b->setOutput(c.output);
    b->setCompact(c.compact);
    b->setState(c.state);
    b->setEnabled(c.enabled);
    b->setHighlighted(c.highlighted);
    auto context = drawn(*b);

    const auto fills = ops(*context, RecordedOperation::Kind::fill);
    ASSERT_EQ(fills.size(), c.bar ? 2u : 1u);
    EXPECT_TRUE(sameColor(fills[0]->color, c.plate));
    EXPECT_TRUE(samePath(fills[0]->path, graphics::BezierPath::roundedRect({0.5, 0.5, 119, 39}, c.radius, c.radius)));
    if (c.bar) {
      EXPECT_TRUE(sameColor(fills[1]->color, QDLModernSidebar()));
      EXPECT_EQ(fills[1]->path.bounds(), (Rect{0, 0, 3, 40}));
    }

    const auto texts = ops(*context, RecordedOperation::Kind::text);
    ASSERT_EQ(texts.size(), 1u);
    const graphics::TextDraw& title = texts[0]->text;
    EXPECT_EQ(title.text, "应用");
    EXPECT_TRUE(sameColor(title.attributes.color, c.title));
    EXPECT_EQ(title.attributes.font.size(), c.fontSize);
    EXPECT_EQ(title.attributes.font.weight(), c.semibold ? FontWeight::semibold : FontWeight::medium);
    EXPECT_EQ(title.attributes.paragraph.lineBreakMode, graphics::LineBreakMode::truncatingTail);

    const auto images = ops(*context, RecordedOperation::Kind::image);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]->image.image->symbolName(), "plus");
    EXPECT_TRUE(sameColor(*images[0]->image.image->paletteColor(), c.tint));
    EXPECT_EQ(images[0]->image.alpha, 1.0);
    // The symbol is drawn before the title, over the plate.
    EXPECT_LT(images[0], texts[0]);
    // With a symbol beside it, every title but a tile's and a navigation button's is left-aligned anyway.
    EXPECT_EQ(title.attributes.paragraph.alignment, TextAlignment::left);
  }
}

// Where the symbol and the title go: x, y, side of the symbol square; the title rectangle.
TEST_F(ModernButtonTest, LayoutPlacesSymbolAndTitleByStyle) {
  struct Case {
    const char* name;
    const char* title;
    const char* symbol;
    bool tile, navigation, compact;
    Rect frame;
    Rect symbolRect;
    Rect titleRect;
    TextAlignment alignment;
    graphics::LineBreakMode mode;
  };
  // Fixed advances: "应用" is 2 em wide; at 13 points 26, at 12 points 24.
  const Case cases[] = {
      {"ordinary, title beside the symbol",
       "应用",
       "plus",
       false,
       false,
       false,
       {0, 0, 100, 40},
       {23.5, 10.5, 19, 19},
       {50.5, 10.5, 41.5, 21},
       TextAlignment::left,
       graphics::LineBreakMode::truncatingTail},
      {"ordinary, no symbol",
       "应用",
       "",
       false,
       false,
       false,
       {0, 0, 100, 40},
       {},
       {8, 10.5, 84, 21},
       TextAlignment::center,
       graphics::LineBreakMode::truncatingTail},
      {"icon only: symbol centred",
       "",
       "plus",
       false,
       false,
       true,
       {0, 0, 27, 27},
       {5.5, 5.5, 16, 16},
       {8, 4, 11, 21},
       TextAlignment::center,
       graphics::LineBreakMode::truncatingTail},
      {"tile",
       "应用",
       "plus",
       true,
       false,
       false,
       {0, 0, 80, 78},
       {28, 14, 24, 24},
       {3, 50, 74, 21},
       TextAlignment::center,
       graphics::LineBreakMode::truncatingTail},
      {"compact tile wraps below a symbol 7 from the top",
       "应用",
       "plus",
       true,
       false,
       true,
       {0, 0, 80, 66},
       {31, 7, 18, 18},
       {3, 29, 74, 36},
       TextAlignment::center,
       graphics::LineBreakMode::wordWrap},
      {"navigation",
       "设置",
       "plus",
       false,
       true,
       false,
       {0, 0, 128, 40},
       {18, 10.5, 19, 19},
       {49, 10, 71, 22},
       TextAlignment::left,
       graphics::LineBreakMode::truncatingTail},
      {"compact navigation",
       "设置",
       "plus",
       false,
       true,
       true,
       {0, 0, 128, 40},
       {16, 12, 16, 16},
       {40, 10, 82, 22},
       TextAlignment::left,
       graphics::LineBreakMode::truncatingTail},
      {"long title in a narrow button keeps the symbol at 8",
       "应用纸张到选中项",
       "plus",
       false,
       false,
       false,
       {0, 0, 90, 30},
       {8, 5.5, 19, 19},
       {35, 5.5, 47, 21},
       TextAlignment::left,
       graphics::LineBreakMode::truncatingTail},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto b = button(c.title, c.symbol, c.frame);
    b->setTile(c.tile);
    b->setNavigation(c.navigation);
    b->setCompact(c.compact);
    auto context = drawn(*b);
    const auto images = ops(*context, RecordedOperation::Kind::image);
    if (c.symbolRect.isEmpty()) {
      EXPECT_TRUE(images.empty());
    } else {
      ASSERT_EQ(images.size(), 1u);
      EXPECT_EQ(images[0]->image.rect, c.symbolRect);
    }
    const auto texts = ops(*context, RecordedOperation::Kind::text);
    ASSERT_EQ(texts.size(), 1u) << "the title is drawn, even an empty one";
    EXPECT_EQ(texts[0]->text.rect, c.titleRect);
    EXPECT_EQ(texts[0]->text.attributes.paragraph.alignment, c.alignment);
    EXPECT_EQ(texts[0]->text.attributes.paragraph.lineBreakMode, c.mode);
  }
}

TEST_F(ModernButtonTest, LongTitlesTruncateAtTheTailAndCompactTilesWrap) {
  auto narrow = button("应用纸张到选中项", "plus", {0, 0, 90, 30});
  auto context = drawn(*narrow);
  const graphics::TextDraw& title = ops(*context, RecordedOperation::Kind::text)[0]->text;
  ASSERT_EQ(title.lines.size(), 1u);
  EXPECT_EQ(title.lines[0].substr(title.lines[0].size() - 3), "…");

  auto tile = button("Frame by layer", "plus", {0, 0, 70, 66});
  tile->setTile(true);
  tile->setCompact(true);
  context = drawn(*tile);
  const graphics::TextDraw& wrapped = ops(*context, RecordedOperation::Kind::text)[0]->text;
  EXPECT_GE(wrapped.lines.size(), 2u);
}

TEST_F(ModernButtonTest, AnUnknownSymbolDrawsTheTitleAloneWhereItWouldBe) {
  auto known = button("应用", "plus", {0, 0, 100, 40});
  auto unknown = button("应用", "no.such.symbol", {0, 0, 100, 40});
  auto withSymbol = drawn(*known);
  auto without = drawn(*unknown);
  EXPECT_TRUE(ops(*without, RecordedOperation::Kind::image).empty());
  EXPECT_EQ(ops(*without, RecordedOperation::Kind::text)[0]->text.rect,
            ops(*withSymbol, RecordedOperation::Kind::text)[0]->text.rect);
}

TEST_F(ModernButtonTest, ASymbolKeepsItsProportionsInItsSquare) {
  // "eye" is 20 × 14: it fits the 19-point square by its width and is centred in height.
  auto b = button("", "eye", {0, 0, 40, 40});
  auto context = drawn(*b);
  const auto images = ops(*context, RecordedOperation::Kind::image);
  ASSERT_EQ(images.size(), 1u);
  const Rect r = images[0]->image.rect;
  EXPECT_DOUBLE_EQ(r.width(), 19);
  EXPECT_DOUBLE_EQ(r.height(), 14 * 19.0 / 20);
  EXPECT_DOUBLE_EQ(r.minX(), 10.5);
  EXPECT_DOUBLE_EQ(r.midY(), 20);
}

TEST_F(ModernButtonTest, IntrinsicSizeMeasuresWithTheStylesFont) {
  struct Case {
    const char* name;
    const char* title;
    const char* symbol;
    bool tile, navigation, output, compact;
    toolkit::Size size;
  };
  const Case cases[] = {
      {"empty title, whatever the flags", "", "plus", true, true, true, true, {28, 28}},
      {"non-compact measures with its own font (13)", "应用", "plus", false, false, false, false, {26 + 48, 30}},
      {"short title is at least 27", "A", "", false, false, false, false, {27, 30}},
      {"compact navigation at 13 with a symbol", "设置", "house", false, true, false, true, {26 + 40, 30}},
      {"compact output at 15 without a symbol", "输出", "", false, false, true, true, {30 + 20, 30}},
      {"compact ordinary at 12", "输出", "", false, false, false, true, {24 + 20, 30}},
      {"tile", "输出", "plus", true, false, false, true, {24 + 40, 78}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto b = button(c.title, c.symbol, {});
    b->setTile(c.tile);
    b->setNavigation(c.navigation);
    b->setOutput(c.output);
    b->setCompact(c.compact);
    EXPECT_EQ(b->intrinsicContentSize(), c.size);
  }
}

TEST_F(ModernButtonTest, StateAndEnabledChangesRedrawButStyleSettersDoNot) {
  auto b = button("应用", "", {0, 0, 80, 30});
  b->setNeedsDisplay(false);
  b->setPrimary(true);
  b->setSymbolName("plus");
  b->setCompact(true);
  EXPECT_FALSE(b->needsDisplay());
  b->setState(toolkit::control_state::on);
  EXPECT_TRUE(b->needsDisplay());
  b->setNeedsDisplay(false);
  b->setEnabled(false);
  EXPECT_TRUE(b->needsDisplay());
}

}  // namespace
}  // namespace ui_test
