// Truncation and wrapping, worked out with fixed advances: 10-point narrow characters are 5 wide, wide ones 10.

#include <gtest/gtest.h>

#include "graphics/text_measurer.h"

namespace graphics {
namespace {

const FixedAdvanceMeasurer kFixed;
const Font kTen = Font::system(10);

TEST(FixedAdvanceMeasurer, NarrowWideAndCombiningCharacters) {
  EXPECT_DOUBLE_EQ(kFixed.width("Ferrolin", kTen), 40);
  EXPECT_DOUBLE_EQ(kFixed.width("批打工具", kTen), 40);
  EXPECT_DOUBLE_EQ(kFixed.width("e\xCC\x81", kTen), 5);  // e + combining acute
  EXPECT_DOUBLE_EQ(kFixed.width("", kTen), 0);
}

TEST(TextMeasurer, TruncatesAtTheTailHeadOrMiddleToFit) {
  struct Case {
    const char* text;
    double width;
    LineBreakMode mode;
    const char* expected;
  };
  const Case cases[] = {
      {"abcdefghij", 50, LineBreakMode::truncatingTail, "abcdefghij"},   // fits exactly
      {"abcdefghij", 49, LineBreakMode::truncatingTail, "abcdefgh…"},
      {"abcdefghij", 49, LineBreakMode::truncatingHead, "…cdefghij"},
      {"/a/b/c/d/e/file.pdf", 50, LineBreakMode::truncatingMiddle, "/a/b/….pdf"},
      {"批打工具批打工具", 45, LineBreakMode::truncatingTail, "批打工具…"},
      {"abcdefghij", 3, LineBreakMode::truncatingTail, "…"},            // nothing else fits
      {"abcdefghij", 20, LineBreakMode::clipping, "abcdefghij"},         // clipping keeps it whole
      {"first\nsecond", 100, LineBreakMode::truncatingTail, "first"},    // one line only
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kFixed.truncated(c.text, kTen, c.width, c.mode), c.expected) << c.text << " in " << c.width;
    if (c.mode != LineBreakMode::clipping && std::string(c.expected) != "…") {
      EXPECT_LE(kFixed.width(c.expected, kTen), c.width) << c.text;
    }
  }
}

TEST(TextMeasurer, WrapsAtBlanksAndAroundWideCharacters) {
  using Lines = std::vector<std::string>;
  // Blanks at a wrap stay on the earlier line, so the next line starts with the word.
  EXPECT_EQ(kFixed.wrappedLines("From drawings to PDF", kTen, 60, LineBreakMode::wordWrap),
            (Lines{"From ", "drawings to ", "PDF"}));
  // Chinese breaks between any two characters; Latin words stay whole next to them.
  EXPECT_EQ(kFixed.wrappedLines("一键批量输出PDF", kTen, 45, LineBreakMode::wordWrap),
            (Lines{"一键批量", "输出PDF"}));
  // A word longer than the line is broken between characters.
  EXPECT_EQ(kFixed.wrappedLines("abcdefghijkl", kTen, 25, LineBreakMode::wordWrap),
            (Lines{"abcde", "fghij", "kl"}));
  EXPECT_EQ(kFixed.wrappedLines("ab cd", kTen, 15, LineBreakMode::charWrap), (Lines{"ab ", "cd"}));
  // Line breaks always break, and an empty text is one empty line.
  EXPECT_EQ(kFixed.wrappedLines("a\n\nb", kTen, 100, LineBreakMode::wordWrap), (Lines{"a", "", "b"}));
  EXPECT_EQ(kFixed.wrappedLines("", kTen, 100, LineBreakMode::wordWrap), (Lines{""}));
}

TEST(TextMeasurer, SizeCountsLinesAtTheFontsLineHeight) {
  const Size one = kFixed.size("Hello", kTen);
  EXPECT_DOUBLE_EQ(one.width, 25);
  EXPECT_DOUBLE_EQ(one.height, kTen.lineHeight());
  const Size wrapped = kFixed.size("From drawings to PDF", kTen, 60);
  EXPECT_DOUBLE_EQ(wrapped.width, 55);  // "drawings to", its trailing blank not counted
  EXPECT_DOUBLE_EQ(wrapped.height, 3 * kTen.lineHeight());
}

TEST(TextMeasurer, TheInstalledMeasurerIsWhatLayoutAsks) {
  setTextMeasurer(std::make_shared<FixedAdvanceMeasurer>(0.6));
  EXPECT_DOUBLE_EQ(textMeasurer().width("ab", kTen), 12);
  setTextMeasurer(nullptr);
  EXPECT_EQ(&textMeasurer(), &fontMeasurer());
}

TEST(FontMeasurer, NotoWidthsWeightsAndTabularDigits) {
  const TextMeasurer& font = fontMeasurer();
  // Chinese characters of Noto Sans CJK advance exactly one em.
  EXPECT_NEAR(font.width("批打工具", Font::system(14)), 56, 0.01);
  // Medium draws with the Regular face, semibold with the Bold one.
  const Font regular = Font::system(13), medium = Font::system(13, FontWeight::medium);
  const Font semibold = Font::system(13, FontWeight::semibold), bold = Font::boldSystem(13);
  EXPECT_DOUBLE_EQ(font.width("Ferrolin", regular), font.width("Ferrolin", medium));
  EXPECT_DOUBLE_EQ(font.width("Ferrolin", semibold), font.width("Ferrolin", bold));
  EXPECT_GT(font.width("Ferrolin", bold), font.width("Ferrolin", regular));
  // Digits of the monospaced-digit font have one width.
  const Font digits = Font::monospacedDigitSystem(34, FontWeight::semibold);
  EXPECT_DOUBLE_EQ(font.width("11", digits), font.width("88", digits));
  EXPECT_GT(font.width("Ferrolin", Font::system(26)), 1.9 * font.width("Ferrolin", regular));
  // Damaged UTF-8 is measured, not refused.
  EXPECT_GT(font.width("a\xFF" "b", regular), 0);
}

}  // namespace
}  // namespace graphics
