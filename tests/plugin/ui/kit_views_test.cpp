// The kit's building blocks: surfaces, metric tiles, compact labels, path fields and placement.

#include <gtest/gtest.h>

#include <memory>

#include "graphics/bezier_path.h"
#include "kit_fixture.h"
#include "toolkit/image_view.h"
#include "toolkit/segmented_control.h"
#include "ui/compact_label.h"
#include "ui/localisation.h"
#include "ui/modern_metric.h"
#include "ui/modern_place.h"
#include "ui/modern_surface.h"
#include "ui/palette.h"
#include "ui/path_field.h"

namespace ui_test {
namespace {

using graphics::Color;
using graphics::RecordedOperation;
using toolkit::Rect;

class KitViewsTest : public KitTest {};

TEST_F(KitViewsTest, SurfaceFillsItsRoundedBoundsWhiteWithoutAFill) {
  auto surface = std::make_shared<QDLModernSurface>(Rect{10, 10, 80, 40});
  EXPECT_TRUE(surface->isFlipped());
  auto context = drawn(*surface);
  auto fills = ops(*context, RecordedOperation::Kind::fill);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_TRUE(sameColor(fills[0]->color, Color::white()));
  EXPECT_TRUE(samePath(fills[0]->path, graphics::BezierPath::rect({0, 0, 80, 40})));
  EXPECT_TRUE(ops(*context, RecordedOperation::Kind::stroke).empty());

  surface->setFill(QDLModernSidebar());
  surface->setRadius(12);
  context = drawn(*surface);
  fills = ops(*context, RecordedOperation::Kind::fill);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_TRUE(sameColor(fills[0]->color, QDLModernSidebar()));
  EXPECT_TRUE(samePath(fills[0]->path, graphics::BezierPath::roundedRect({0, 0, 80, 40}, 12, 12)));
}

TEST_F(KitViewsTest, MetricTileIsClearWithIconTitleAndValueOnOneLine) {
  const Color accent = Color::srgb(0.23, 0.62, 0.40);
  auto tile = std::make_shared<QDLModernMetric>("可打印图纸", "checkmark.circle", accent);
  EXPECT_TRUE(ops(*drawn(*tile), RecordedOperation::Kind::fill).empty()) << "nothing behind its subviews";
  ASSERT_EQ(tile->subviews().size(), 4u);
  EXPECT_EQ(tile->subviews()[0], tile->icon());
  EXPECT_EQ(tile->subviews()[1], tile->valueLabel());
  EXPECT_EQ(tile->subviews()[2], tile->titleLabel());
  EXPECT_EQ(tile->subviews()[3], tile->detailLabel());

  EXPECT_EQ(tile->valueLabel()->stringValue(), "0");
  EXPECT_EQ(tile->valueLabel()->font(), graphics::Font::monospacedDigitSystem(15, graphics::FontWeight::semibold));
  EXPECT_TRUE(sameColor(*tile->valueLabel()->textColor(), QDLModernInk()));
  EXPECT_EQ(tile->titleLabel()->stringValue(), "可打印图纸");
  EXPECT_EQ(tile->titleLabel()->font(), graphics::Font::system(12, graphics::FontWeight::medium));
  EXPECT_EQ(tile->detailLabel()->stringValue(), "尚未扫描");
  EXPECT_EQ(tile->detailLabel()->font(), graphics::Font::system(11));
  EXPECT_EQ(tile->detailLabel()->textColor(), Color::named(graphics::SystemColor::secondaryLabel));

  const auto& icon = tile->icon();
  ASSERT_TRUE(icon->image());
  EXPECT_EQ(icon->image()->symbolName(), "checkmark.circle");
  EXPECT_TRUE(sameColor(*icon->image()->paletteColor(), accent));
  EXPECT_EQ(icon->imageScaling(), toolkit::ImageScaling::proportionallyUpOrDown);
  ASSERT_TRUE(icon->wantsLayer());
  EXPECT_TRUE(sameColor(*icon->layer()->backgroundColor, accent.withAlpha(0.1)));
  EXPECT_EQ(icon->layer()->cornerRadius, 7);

  tile->setFrame({0, 0, 206, 32});
  tile->layoutSubtreeIfNeeded();
  EXPECT_EQ(icon->frame(), (Rect{0, 8, 16, 16}));
  EXPECT_EQ(tile->titleLabel()->frame(), (Rect{22, 7, 118, 19}));
  EXPECT_EQ(tile->valueLabel()->frame(), (Rect{142, 5, 64, 23}));
  EXPECT_TRUE(tile->detailLabel()->isHidden());

  // The owner writes the detail; it keeps its text, hidden, through every layout.
  tile->detailLabel()->setHidden(false);
  tile->detailLabel()->setStringValue("12 张");
  tile->setFrame({0, 0, 60, 32});
  tile->layoutSubtreeIfNeeded();
  EXPECT_TRUE(tile->detailLabel()->isHidden());
  EXPECT_EQ(tile->detailLabel()->stringValue(), "12 张");
  EXPECT_EQ(tile->titleLabel()->frame().width(), 0) << "narrower than 88";
}

TEST_F(KitViewsTest, MetricDetailIsTranslatedWhenMade) {
  useLanguage("en");
  QDLModernMetric tile("Printable", "checkmark.circle", QDLModernBlue());
  EXPECT_EQ(tile.detailLabel()->stringValue(), "Not scanned");
  QDLModernMetric unknownSymbol("Printable", "no.such.symbol", QDLModernBlue());
  EXPECT_EQ(unknownSymbol.icon()->image(), nullptr);
}

TEST_F(KitViewsTest, CompactTextIsAOneLineReadOnlyLabelWhoseTooltipFollowsItsValue) {
  auto label = QDLCompactText("图纸总数");
  EXPECT_EQ(label->frame(), Rect{});
  EXPECT_FALSE(label->isEditable());
  EXPECT_TRUE(label->isSelectable());
  EXPECT_FALSE(label->isBordered());
  EXPECT_FALSE(label->drawsBackground());
  EXPECT_TRUE(label->usesSingleLineMode());
  EXPECT_FALSE(label->isScrollable());
  EXPECT_EQ(label->lineBreakMode(), graphics::LineBreakMode::truncatingTail);
  EXPECT_EQ(label->contentHuggingPriority(toolkit::Orientation::horizontal), 250);
  EXPECT_EQ(label->contentCompressionResistancePriority(toolkit::Orientation::horizontal), 250);
  EXPECT_EQ(label->toolTip(), "图纸总数");
  EXPECT_EQ(label->intrinsicContentSize().width, toolkit::kNoIntrinsicMetric);
  EXPECT_GT(label->intrinsicContentSize().height, 0);

  label->setStringValue("");
  EXPECT_EQ(label->toolTip(), "");

  // Too long for its frame: the tail gives way, the tooltip keeps it all.
  label->setStringValue("识别诊断：尚未扫描（悬停可查看完整内容）");
  label->setFrame({0, 0, 80, 18});
  const auto context = drawn(*label);
  const auto texts = ops(*context, RecordedOperation::Kind::text);
  ASSERT_EQ(texts.size(), 1u);
  ASSERT_EQ(texts[0]->text.lines.size(), 1u);
  EXPECT_NE(texts[0]->text.lines[0], label->stringValue());
  EXPECT_EQ(texts[0]->text.lines[0].substr(texts[0]->text.lines[0].size() - 3), "…");
  EXPECT_EQ(label->toolTip(), "识别诊断：尚未扫描（悬停可查看完整内容）");
}

// A text that ends in a reason after a path, or in a path: the path gives way in its middle, never the reason.
TEST_F(KitViewsTest, CompactTextCutsALongTextInItsPathAndKeepsWhatFollows) {
  const struct {
    const char* text;
    double width;
    const char* start;
    const char* end;
  } cases[] = {
      {"Cannot create folder \"/Users/designer/Projects/Riverside Tower/PDF/Ferrolin-PDF-0A1B2C3D\": Permission denied",
       420, "Cannot create folder \"/Us", "-0A1B2C3D\": Permission denied"},
      // Of two quoted paths the longer gives way.
      {"Cannot move \"/a/b.pdf\" to \"/Volumes/Archive/Projects/Riverside Tower/Issued/b.pdf\": No space left "
       "on device",
       450, "Cannot move \"/a/b.pdf\" to \"/Vol", "/b.pdf\": No space left on device"},
      {"已输出 12 页：/Users/designer/项目 A/结构/Ferrolin-Batch/03 立面图", 200, "已输出 12 页：/Us", "03 立面图"},
  };
  const graphics::TextMeasurer& measurer = graphics::textMeasurer();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    auto label = QDLCompactText(c.text);
    label->setFrame({0, 0, c.width, 18});
    const auto context = drawn(*label);
    const auto texts = ops(*context, RecordedOperation::Kind::text);
    ASSERT_EQ(texts.size(), 1u);
    ASSERT_EQ(texts[0]->text.lines.size(), 1u);
    const std::string shown = texts[0]->text.lines[0];
    EXPECT_TRUE(shown.starts_with(c.start)) << shown;
    EXPECT_TRUE(shown.ends_with(c.end)) << shown;
    EXPECT_NE(shown.find("…"), std::string::npos) << shown;
    EXPECT_LE(measurer.width(shown, label->font()), c.width - 4) << shown;
    // As much of the path as fits: less than one more (wide) character's width is left.
    EXPECT_GT(measurer.width(shown, label->font()), c.width - 4 - 2 * label->font().size()) << shown;
    EXPECT_EQ(label->stringValue(), c.text);
    EXPECT_EQ(label->toolTip(), c.text);
  }
  // A "/" between blanks is no path: the tail gives way as before.
  auto counted = QDLCompactText("Exported 2 / 5 pages; Plot failed on sheet 3 of the issued set");
  counted->setFrame({0, 0, 200, 18});
  const std::string tail = ops(*drawn(*counted), RecordedOperation::Kind::text).at(0)->text.lines.at(0);
  EXPECT_TRUE(tail.starts_with("Exported 2 / 5 pages")) << tail;
  EXPECT_TRUE(tail.ends_with("…")) << tail;
  // Where not even the reason fits beside an ellipsis, the line's own truncation takes over.
  auto narrow = QDLCompactText("Cannot create folder \"/Users/designer\": Permission denied");
  narrow->setFrame({0, 0, 60, 18});
  const auto context = drawn(*narrow);
  const std::string shown = ops(*context, RecordedOperation::Kind::text).at(0)->text.lines.at(0);
  EXPECT_TRUE(shown.starts_with("Can")) << shown;
  EXPECT_TRUE(shown.ends_with("…")) << shown;
}

TEST_F(KitViewsTest, PathFieldShowsBothEndsOfALongPathAndTheWholeInItsTooltip) {
  QDLPathField field({0, 0, 160, 24});
  EXPECT_FALSE(field.isEditable());
  EXPECT_TRUE(field.isSelectable());
  EXPECT_TRUE(field.usesSingleLineMode());
  EXPECT_FALSE(field.isScrollable());
  EXPECT_EQ(field.lineBreakMode(), graphics::LineBreakMode::truncatingMiddle);
  EXPECT_EQ(field.contentHuggingPriority(toolkit::Orientation::horizontal), 250);
  EXPECT_EQ(field.intrinsicContentSize().width, toolkit::kNoIntrinsicMetric);

  const std::string path = "/Users/designer/Projects/Riverside Tower/Drawings/PDF";
  field.setStringValue(path);
  EXPECT_EQ(field.toolTip(), path);
  const auto context = drawn(field);
  const auto texts = ops(*context, RecordedOperation::Kind::text);
  ASSERT_EQ(texts.size(), 1u);
  const std::string shown = texts[0]->text.lines.at(0);
  EXPECT_EQ(shown.substr(0, 3), "/Us");
  EXPECT_EQ(shown.substr(shown.size() - 3), "PDF");
  EXPECT_NE(shown.find("…"), std::string::npos);

  field.setStringValue("");
  EXPECT_EQ(field.toolTip(), "");
}

TEST_F(KitViewsTest, PlaceAddsOnceClampsSizesAndSharesSegmentWidths) {
  auto parent = std::make_shared<QDLModernSurface>(Rect{0, 0, 400, 300});
  auto first = std::make_shared<toolkit::View>();
  auto second = std::make_shared<toolkit::View>();
  second->setTranslatesAutoresizingMaskIntoConstraints(false);
  QDLModernPlace(*parent, first, 1, 2, 30, 40);
  QDLModernPlace(*parent, second, 0, 0, 10, 10);
  EXPECT_EQ(first->frame(), (Rect{1, 2, 30, 40}));
  EXPECT_TRUE(second->translatesAutoresizingMaskIntoConstraints());

  // Placing again moves it and keeps its place in the order; a negative size becomes 0, the origin stays.
  QDLModernPlace(*parent, first, -3, 7, -5, 12);
  EXPECT_EQ(first->frame(), (Rect{-3, 7, 0, 12}));
  ASSERT_EQ(parent->subviews().size(), 2u);
  EXPECT_EQ(parent->subviews()[0], first);

  // From another parent, it moves here.
  auto other = std::make_shared<toolkit::View>();
  auto moved = std::make_shared<toolkit::View>();
  other->addSubview(moved);
  QDLModernPlace(*parent, moved, 0, 0, 5, 5);
  EXPECT_EQ(moved->superview(), parent.get());
  EXPECT_TRUE(other->subviews().empty());

  struct Case {
    long segments;
    double width;
    double each;
  };
  for (const Case& c : {Case{3, 128, 40}, Case{3, 6, 0}, Case{2, 250, 121}, Case{1, -5, 0}}) {
    SCOPED_TRACE(c.width);
    auto segmented = std::make_shared<toolkit::SegmentedControl>();
    segmented->setSegmentCount(c.segments);
    segmented->setNeedsDisplay(false);
    QDLModernPlace(*parent, segmented, 0, 0, c.width, 26);
    for (long i = 0; i < c.segments; ++i) EXPECT_EQ(segmented->width(i), c.each);
    EXPECT_TRUE(segmented->needsDisplay());
  }
  auto empty = std::make_shared<toolkit::SegmentedControl>();
  QDLModernPlace(*parent, empty, 5, 6, 100, 26);
  EXPECT_EQ(empty->frame(), (Rect{5, 6, 100, 26}));
  QDLModernPlace(*parent, nullptr, 0, 0, 1, 1);
  EXPECT_EQ(parent->subviews().size(), 8u);
}

}  // namespace
}  // namespace ui_test
