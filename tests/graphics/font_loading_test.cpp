// Fonts found and opened on a loading thread serve the thread that then measures and draws: the same widths as
// fonts found there, and PDF text drawn with them. (Each test runs in a process of its own, so the loading is
// the process's first use of fonts.)
#include "graphics/font_loading.h"

#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <string>

#include "foundation/files.h"
#include "graphics/cairo_context.h"
#include "graphics/pango_text.h"
#include "graphics/text_measurer.h"
#include "temp_folder.h"

namespace graphics {
namespace {

TEST(FontLoading, TheLoadedFontsMeasureAsFontsFoundHereAndDrawThePdf) {
  const Font nominal = Font::system(10), bold = Font::boldSystem(13);
  const FontLoading loading({nominal});
  const TextMeasurer& loaded = fontMeasurer();

  // A measurer of a font map of its own, its fonts found without the loading (kept, as measurers are).
  static const TextMeasurer* here = pango_text::newFontMeasurer(pango_cairo_font_map_new());
  for (const char* text : {"KITCHEN 设备间", "卫生间 1:50", "Ferrolin"}) {
    EXPECT_DOUBLE_EQ(loaded.width(text, nominal), here->width(text, nominal)) << text;
    EXPECT_DOUBLE_EQ(loaded.width(text, bold), here->width(text, bold)) << text;
  }
  EXPECT_NEAR(loaded.width("批打工具", Font::system(14)), 56, 0.01);

  TempFolder folder("quodl-font-loading");
  auto pdf = CairoContext::pdf(folder / "page.pdf", 420, 297);
  ASSERT_TRUE(pdf);
  pdf->drawString("平面图 PLAN", Point{30, 30}, {nominal, Color::black(), {}});
  ASSERT_EQ(pdf->finish(), "");
  EXPECT_GT(foundation::readFile(folder / "page.pdf").data.size(), 1000u);
}

TEST(FontLoading, ALoadingNoTextAsksForIsWaitedFor) {
  { const FontLoading loading({Font::system(10)}); }
  EXPECT_GT(fontMeasurer().width("KITCHEN", Font::system(10)), 0);
}

}  // namespace
}  // namespace graphics
