// The artwork: its two pictures fitted into the bounds, clipped, captioned in the interface language, and
// transparent to clicks and to accessibility.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "kit_fixture.h"
#include "ui/modern_artwork.h"

namespace ui_test {
namespace {

using graphics::RecordedOperation;
using toolkit::Rect;

class ModernArtworkTest : public KitTest {};

bool contains(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(ModernArtworkTest, ThePictureIsFittedCentredAndClippedToTheBounds) {
  struct Case {
    bool sidebar;
    Rect frame;
    graphics::AffineTransform fit;
  };
  // Header 320 × 104 in a view twice as wide as its proportions: the height's scale, equal side margins.
  // Sidebar 156 × 350 in a view twice as tall: the width's scale, equal margins above and below.
  for (const Case& c :
       {Case{false, {0, 0, 1280, 208}, {2, 0, 0, 2, 320, 0}}, Case{true, {0, 0, 312, 1400}, {2, 0, 0, 2, 0, 350}}}) {
    SCOPED_TRACE(c.sidebar ? "sidebar" : "header");
    QDLModernArtwork artwork(c.frame);
    artwork.setSidebar(c.sidebar);
    auto context = drawn(artwork);
    const auto& all = context->operations();
    ASSERT_GE(all.size(), 4u);
    EXPECT_EQ(all[0].kind, RecordedOperation::Kind::save);
    ASSERT_EQ(all[1].kind, RecordedOperation::Kind::clip);
    EXPECT_EQ(all[1].path.bounds(), (Rect{0, 0, c.frame.width(), c.frame.height()}));
    ASSERT_EQ(all[3].kind, RecordedOperation::Kind::transform);
    EXPECT_EQ(all[3].transform, c.fit);
    EXPECT_EQ(all.back().kind, RecordedOperation::Kind::restore);
    EXPECT_EQ(context->stateDepth(), 0u);
  }
}

TEST_F(ModernArtworkTest, CaptionsFollowTheLanguageAndTheEnglishSloganStays) {
  QDLModernArtwork header({0, 0, 320, 104});
  QDLModernArtwork sidebar({0, 0, 156, 350});
  sidebar.setSidebar(true);

  auto headerTexts = drawn(header)->texts();
  EXPECT_EQ(headerTexts, (std::vector<std::string>{"PDF", "一键", "批量输出！"}));
  auto sidebarTexts = drawn(sidebar)->texts();
  EXPECT_EQ(sidebarTexts, (std::vector<std::string>{"专注 · 高效 · 专业", "FOR A BETTER", "DESIGN WORKFLOW", "PDF",
                                                    "从图纸", "到 PDF", "更高效！"}));

  useLanguage("en");
  headerTexts = drawn(header)->texts();
  EXPECT_TRUE(contains(headerTexts, "One-click"));
  EXPECT_TRUE(contains(headerTexts, "Batch PDF"));
  sidebarTexts = drawn(sidebar)->texts();
  EXPECT_TRUE(contains(sidebarTexts, "From drawings"));
  EXPECT_TRUE(contains(sidebarTexts, "Focus · Quality"));
  EXPECT_TRUE(contains(sidebarTexts, "FOR A BETTER"));

  useLanguage("zh-Hant");
  sidebarTexts = drawn(sidebar)->texts();
  EXPECT_TRUE(contains(sidebarTexts, "從圖紙"));
  EXPECT_TRUE(contains(sidebarTexts, "DESIGN WORKFLOW"));
}

TEST_F(ModernArtworkTest, CaptionsAreCentredInTheMediumFont) {
  QDLModernArtwork header({0, 0, 320, 104});
  auto context = drawn(header);
  const auto texts = ops(*context, RecordedOperation::Kind::text);
  ASSERT_EQ(texts.size(), 3u);
  const graphics::TextDraw& oneClick = texts[1]->text;
  EXPECT_EQ(oneClick.rect, (Rect{231, 35, 86, 22}));
  EXPECT_EQ(oneClick.attributes.font, graphics::Font::system(16, graphics::FontWeight::medium));
  EXPECT_EQ(oneClick.attributes.paragraph.alignment, graphics::TextAlignment::center);
  // The badge text: bold 18, white, from its point.
  const graphics::TextDraw& badge = texts[0]->text;
  EXPECT_EQ(badge.attributes.font, graphics::Font::boldSystem(18));
  EXPECT_EQ(badge.rect.origin, (toolkit::Point{11, 35}));
}

TEST_F(ModernArtworkTest, ClicksPassThroughAndAccessibilitySkipsIt) {
  auto parent = std::make_shared<toolkit::View>(Rect{0, 0, 400, 200});
  auto artwork = std::make_shared<QDLModernArtwork>(Rect{0, 0, 400, 200});
  parent->addSubview(artwork);
  EXPECT_EQ(artwork->hitTest({50, 50}), nullptr);
  EXPECT_EQ(parent->hitTest({50, 50}), parent.get());
  EXPECT_FALSE(artwork->isAccessibilityElement());
  EXPECT_TRUE(artwork->isFlipped());
  artwork->setNeedsDisplay(false);
  artwork->setSidebar(true);
  EXPECT_FALSE(artwork->needsDisplay());
}

}  // namespace
}  // namespace ui_test
