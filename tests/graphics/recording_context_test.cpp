// The common work of every drawing context, seen through the recording back end: where text and images land and
// which way up, what a rectangle shows, how colours resolve and what the graphics state keeps.

#include <gtest/gtest.h>

#include "graphics/recording_context.h"
#include "graphics/symbols.h"

namespace graphics {
namespace {

using Kind = RecordedOperation::Kind;

const FixedAdvanceMeasurer kFixed;

// A device 200 points high with y up, as a window's content draws.
void useYUpDevice(GraphicsContext& context) {
  context.translate(0, 200);
  context.scale(1, -1);
}

Point onDevice(const RecordedOperation& op, const AffineTransform& box, Point p) {
  return op.transform.apply(box.apply(p));
}

TEST(RecordingContext, TextStandsUprightWithItsTopAtTheRectanglesVisualTop) {
  for (bool flipped : {false, true}) {
    RecordingContext context(kFixed);
    if (!flipped) useYUpDevice(context);
    context.setFlipped(flipped);
    context.drawString("Hi", Rect{10, 20, 100, 30}, {});
    const auto texts = context.operations(Kind::text);
    ASSERT_EQ(texts.size(), 1u);
    const RecordedOperation& op = *texts.front();
    const Point topLeft = onDevice(op, op.text.box, {0, 0});
    const Point below = onDevice(op, op.text.box, {0, 10});
    // Unflipped: the rectangle spans device y 150…180, its top at 150. Flipped: it spans 20…50.
    EXPECT_DOUBLE_EQ(topLeft.x, 10) << flipped;
    EXPECT_DOUBLE_EQ(topLeft.y, flipped ? 20 : 150) << flipped;
    EXPECT_DOUBLE_EQ(below.y - topLeft.y, 10) << "text runs down the device, flipped " << flipped;
  }
}

TEST(RecordingContext, WhatARectangleShows) {
  RecordingContext context(kFixed);
  const Font ten = Font::system(10);  // line height 14.48
  TextAttributes wrap{ten, Color::black(), {TextAlignment::left, LineBreakMode::wordWrap}};
  // Three lines in a 20-high rectangle: the second starts inside it and shows, the third does not; clipped.
  context.drawString("aaaa bbbb cccc", Rect{0, 0, 25, 20}, wrap);
  // One line always shows, even in a rectangle too short for it, and is not clipped.
  TextAttributes tail{ten, Color::black(), {TextAlignment::right, LineBreakMode::truncatingTail}};
  context.drawString("abcdefghij", Rect{0, 0, 30, 5}, tail);
  TextAttributes centred{ten, Color::black(), {TextAlignment::center, LineBreakMode::clipping}};
  context.drawString("abcd", Rect{0, 0, 40, 20}, centred);
  const auto texts = context.operations(Kind::text);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0]->text.lines, (std::vector<std::string>{"aaaa ", "bbbb "}));
  EXPECT_TRUE(texts[0]->text.clipped);
  EXPECT_EQ(texts[1]->text.lines, (std::vector<std::string>{"abcde…"}));
  EXPECT_FALSE(texts[1]->text.clipped);
  EXPECT_DOUBLE_EQ(texts[1]->text.lineOrigins[0].x, 0);  // 30 wide, right-aligned in 30
  EXPECT_DOUBLE_EQ(texts[2]->text.lineOrigins[0].x, 10);
  EXPECT_TRUE(texts[2]->text.clipped);
}

TEST(RecordingContext, NamedColoursFollowTheAppearanceAndAlphaMultiplies) {
  RecordingContext context(kFixed);
  const Color label = Color::named(SystemColor::label);
  context.fillRect({0, 0, 1, 1}, label);
  context.setAppearance(Appearance::darkAqua);
  context.fillRect({0, 0, 1, 1}, label);
  context.setAlpha(0.5);
  context.fillRect({0, 0, 1, 1}, Color::srgb(1, 0, 0, 0.8));
  context.fillRect({0, 0, 1, 1}, label.withAlpha(1));
  const auto fills = context.operations(Kind::fill);
  ASSERT_EQ(fills.size(), 4u);
  EXPECT_LT(fills[0]->color.red(), 0.1);
  EXPECT_GT(fills[1]->color.red(), 0.9);
  EXPECT_FALSE(fills[1]->color.isDynamic());
  EXPECT_DOUBLE_EQ(fills[2]->color.alpha(), 0.4);
  EXPECT_GT(fills[3]->color.red(), 0.9);  // still the dark appearance's label colour, alpha changed
  EXPECT_DOUBLE_EQ(fills[3]->color.alpha(), 0.5);
}

TEST(RecordingContext, RestoreBringsBackTheWholeStateAndAnUnmatchedRestoreIsIgnored) {
  RecordingContext context(kFixed);
  context.saveGState();
  context.translate(5, 5);
  context.setFlipped(true);
  context.setAlpha(0.25);
  context.clipToRect({0, 0, 10, 10});
  EXPECT_EQ(context.clipBoundingBox(), (Rect{0, 0, 10, 10}));
  context.restoreGState();
  EXPECT_TRUE(context.currentTransform().isIdentity());
  EXPECT_FALSE(context.isFlipped());
  EXPECT_DOUBLE_EQ(context.alpha(), 1);
  EXPECT_GT(context.clipBoundingBox().width(), 1e6);
  context.restoreGState();
  EXPECT_EQ(context.stateDepth(), 0u);
}

TEST(RecordingContext, ImagesScaleIntoTheirRectangleUprightUnlessTold) {
  auto symbol = Image::systemSymbol("eye");  // 20 × 14
  ASSERT_TRUE(symbol);
  for (bool respect : {true, false}) {
    RecordingContext context(kFixed);
    context.setFlipped(true);
    context.drawImage(symbol->withPalette(Color::srgb(0, 0, 1)), Rect{0, 0, 40, 28}, CompositingOperation::sourceOver,
                      0.5, respect);
    const auto images = context.operations(Kind::image);
    ASSERT_EQ(images.size(), 1u);
    const ImageDraw& draw = images.front()->image;
    EXPECT_EQ(draw.box.apply(Point{20, 14}), (Point{40, respect ? 28.0 : 0.0})) << respect;
    EXPECT_DOUBLE_EQ(draw.alpha, 0.5);
    EXPECT_EQ(draw.tint, Color::srgb(0, 0, 1));
  }
  RecordingContext context(kFixed);
  context.drawImage(symbol, Rect{0, 0, 0, 10});
  context.drawImage(nullptr, Rect{0, 0, 10, 10});
  EXPECT_TRUE(context.operations().empty());
}

TEST(Symbols, EveryNameTheWindowsUseIsRegisteredAndOthersAreNot) {
  const char* names[] = {"house", "slider.horizontal.3", "info.circle", "folder", "checkmark.circle", "minus.circle",
                         "doc.text", "sparkles", "square.3.layers.3d", "cube", "cursorarrow",
                         "cursorarrow.and.square.on.square.dashed", "trash", "arrow.clockwise", "checkmark.square",
                         "square", "arrow.up", "arrow.down", "scope", "minus", "arrow.uturn.backward", "plus",
                         "doc.badge.arrow.up", "checkmark.seal", "eye", "play", "chevron.down", "chevron.right",
                         "gearshape", "printer", "arrow.up.right"};
  for (const char* name : names) {
    const auto image = Image::systemSymbol(name, "described");
    ASSERT_TRUE(image) << name;
    EXPECT_GT(image->size().width, 0) << name;
    EXPECT_EQ(image->accessibilityDescription(), "described");
    EXPECT_FALSE(findSymbol(name)->shapes.empty()) << name;
  }
  EXPECT_EQ(symbolNames().size(), std::size(names));
  EXPECT_EQ(Image::systemSymbol("no.such.symbol"), nullptr);
  EXPECT_EQ(Image::systemSymbol(""), nullptr);
  EXPECT_EQ(Image::fromRGBA(2, 2, std::vector<std::uint8_t>(15)), nullptr);
}

}  // namespace
}  // namespace graphics
