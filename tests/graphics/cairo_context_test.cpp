// The cairo back end draws what the context asks, at the bitmap's scale, and writes PNG and PDF files.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "foundation/files.h"
#include "graphics/cairo_context.h"
#include "temp_folder.h"

namespace graphics {
namespace {

bool near(const Color& a, const Color& b, double tolerance = 0.02) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

// Pixels darker than mid-grey in a band of device rows.
int inkRows(const CairoContext& c, int fromRow, int toRow) {
  int ink = 0;
  for (int y = fromRow; y < toRow; ++y) {
    for (int x = 0; x < c.pixelWidth(); ++x) {
      if (c.pixel(x, y).red() < 0.5) ++ink;
    }
  }
  return ink;
}

TEST(CairoContext, FillsAndStrokesLandOnPixelsAtTheBitmapsScale) {
  auto c = CairoContext::bitmap(50, 40, 2);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->pixelWidth(), 100);
  EXPECT_EQ(c->pixelHeight(), 80);
  c->fillRect({10, 10, 20, 20}, Color::srgb(1, 0, 0));
  EXPECT_TRUE(near(c->pixel(25, 25), Color::srgb(1, 0, 0)));
  EXPECT_TRUE(near(c->pixel(61, 25), Color::clear()));
  c->setAlpha(0.5);
  BezierPath line;
  line.moveTo({0, 35});
  line.lineTo({50, 35});
  line.lineWidth = 2;
  c->strokePath(line, Color::srgb(0, 0, 1));
  EXPECT_TRUE(near(c->pixel(50, 70), Color::srgb(0, 0, 1, 0.5)));
}

TEST(CairoContext, TextDrawsUprightFromTheTopOfItsRectangleInEitherOrientation) {
  for (bool flipped : {false, true}) {
    auto c = CairoContext::bitmap(200, 100);
    ASSERT_TRUE(c);
    c->fillRect({0, 0, 200, 100}, Color::white());
    if (!flipped) {
      c->translate(0, 100);
      c->scale(1, -1);
    }
    c->setFlipped(flipped);
    c->drawString("Ferrolin 批打工具", Rect{0, 0, 200, 100}, {Font::system(20), Color::black(), {}});
    // The rectangle fills the bitmap; the line belongs at its visual top whichever way y runs.
    EXPECT_GT(inkRows(*c, 0, 30), 50) << flipped;
    EXPECT_EQ(inkRows(*c, 40, 100), 0) << flipped;
  }
}

TEST(CairoContext, SymbolsDrawInTheirTint) {
  auto c = CairoContext::bitmap(20, 20, 2);
  ASSERT_TRUE(c);
  // "minus" is a line across the middle of its box, 1.6 wide: device rows 18.4 to 21.6 at twice the size.
  c->drawImage(Image::systemSymbol("minus")->withPalette(Color::srgb(0, 0, 1)), Rect{0, 0, 20, 20});
  EXPECT_TRUE(near(c->pixel(20, 19), Color::srgb(0, 0, 1)));
  EXPECT_TRUE(near(c->pixel(20, 6), Color::clear()));
  auto bitmap = Image::fromRGBA(1, 1, {0, 255, 0, 255});
  c->drawImage(bitmap, Rect{0, 15, 5, 5});
  EXPECT_TRUE(near(c->pixel(4, 34), Color::srgb(0, 1, 0)));
}

TEST(CairoContext, WritesPNGAndReportsWhyItCannot) {
  TempFolder folder("quodl-graphics");
  auto c = CairoContext::bitmap(4, 3, 2);
  ASSERT_TRUE(c);
  const std::string png = c->pngData();
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(0, 4), "\x89PNG");
  EXPECT_EQ(c->writePNG(folder / "out.png"), "");
  EXPECT_EQ(foundation::readFile(folder / "out.png").data, png);
  EXPECT_NE(c->writePNG(folder / "missing/out.png"), "");
  // An opaque bitmap has no alpha to keep: its pixels read opaque.
  auto opaque = CairoContext::bitmap(4, 3, 1, CairoContext::Alpha::opaque);
  ASSERT_TRUE(opaque);
  opaque->fillRect({0, 0, 4, 3}, Color::srgb(0, 0.5, 1, 0.5));
  EXPECT_DOUBLE_EQ(opaque->pixel(1, 1).alpha(), 1.0);
  EXPECT_LT(opaque->pngData().size(), png.size() + 64);
  EXPECT_EQ(CairoContext::bitmap(0, 0, 0), nullptr);
  EXPECT_EQ(CairoContext::bitmap(1e9, 10), nullptr);
}

TEST(CairoContext, WritesAPDFOfSeveralPagesOnlyWhenFinished) {
  TempFolder folder("quodl-graphics");
  const std::string path = folder / "two.pdf";
  auto c = CairoContext::pdf(path, 595, 842);
  ASSERT_TRUE(c);
  c->drawString("第一页 Page one", Point{72, 72}, {});
  c->newPage();
  c->fillRect({72, 72, 100, 100}, Color::srgb(0.2, 0.4, 0.6));
  EXPECT_FALSE(foundation::fileExists(path));
  EXPECT_EQ(c->finish(), "");
  const std::string pdf = foundation::readFile(path).data;
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  int pages = 0;
  for (auto at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1)) {
    if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
  }
  EXPECT_EQ(pages, 2);
  EXPECT_NE(c->finish(), "");
  EXPECT_EQ(CairoContext::pdf(path, 0, 10), nullptr);
}

}  // namespace
}  // namespace graphics
