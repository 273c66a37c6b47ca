// A PDF's text is drawn with fonts cut down to the glyphs the document uses: the pages show the same glyphs
// in the same places as Pango drawing the same layouts itself, the text reads back the same, and the fonts
// embedded are a small fraction of what cairo embeds from the whole fonts.
#include "graphics/pdf_text_fonts.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cadhost_run.h"
#include "foundation/files.h"
#include "graphics/cairo_context.h"
#include "temp_folder.h"

namespace graphics {
namespace {

std::string run(const std::string& program, const std::vector<std::string>& arguments) {
  RunOptions options;
  options.separateErrors = true;
  const CadhostRun done = runProgram(program, arguments, "", options);
  EXPECT_EQ(done.exitStatus, 0) << program << ": " << done.errors;
  return done.output;
}

// The page as pdftoppm shows it, as the bytes of a greyscale image.
std::string shown(const std::string& pdf) {
  const std::string base = pdf.substr(0, pdf.size() - 4);
  run("/usr/bin/pdftoppm", {"-r", "110", "-gray", "-singlefile", pdf, base});
  return foundation::readFile(base + ".pgm").data;
}

// The bytes of every embedded font program, as qpdf lists the file's objects uncompressed.
std::size_t fontProgramBytes(const std::string& pdf) {
  run("/usr/bin/qpdf", {"--qdf", "--object-streams=disable", pdf, pdf + ".qdf"});
  const std::string objects = foundation::readFile(pdf + ".qdf").data;
  std::size_t total = 0;
  for (const std::string key : {"/FontFile2 ", "/FontFile3 "}) {
    for (auto at = objects.find(key); at != std::string::npos; at = objects.find(key, at + 1)) {
      const std::size_t reference = at + key.size();
      const std::string object = objects.substr(reference, objects.find(" R", reference) - reference);
      const std::size_t header = objects.find("\n" + object + " obj");
      if (header == std::string::npos) continue;
      const std::size_t data = objects.find("stream\n", header) + 7;
      total += objects.find("\nendstream", data) - data;
    }
  }
  return total;
}

struct Line {
  std::string text;
  bool bold;
  cairo_matrix_t matrix;  // the line's space on the page
  Point origin;           // its top-left corner there
};

std::vector<Line> lines() {
  cairo_matrix_t plain, turned, narrowed;
  cairo_matrix_init_translate(&plain, 30, 40);
  cairo_matrix_init_translate(&turned, 260, 220);
  cairo_matrix_rotate(&turned, 0.5);
  cairo_matrix_scale(&turned, 1.6, 1.6);
  cairo_matrix_init_translate(&narrowed, 40, 330);
  cairo_matrix_scale(&narrowed, 0.7, 1.9);
  return {
      {"KITCHEN 设备间 1:50", false, plain, {0, 0}},
      {"卫生间 BATH", true, plain, {0, 30}},
      {"مرحبا بالعالم 12", false, plain, {0, 60}},             // right to left, in a fallback font
      {"cafe\xCC\x81 \xEF\xAC\x81le", false, plain, {0, 90}},  // a combining accent and a ligature
      {"\xEE\x80\x80 box", false, plain, {0, 120}},            // a character no font has: drawn as a box
      {"走廊 STAIR 2", false, turned, {0, 0}},
      {"配电室 DOOR D-12", false, narrowed, {0, 0}},
  };
}

PangoLayout* layoutFor(cairo_t* cr, const Line& line) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
  cairo_font_options_destroy(options);
  pango_context_set_round_glyph_positions(pango_layout_get_context(layout), FALSE);
  pango_layout_context_changed(layout);
  PangoFontDescription* font = pango_font_description_from_string("Noto Sans CJK SC 14");
  if (line.bold) pango_font_description_set_weight(font, PANGO_WEIGHT_BOLD);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  pango_layout_set_text(layout, line.text.c_str(), -1);
  return layout;
}

// The lines as Pango draws them itself, or as glyph runs drawn with the cut-down fonts.
void writePage(const std::string& path, bool byPango) {
  cairo_surface_t* surface = cairo_pdf_surface_create(path.c_str(), 595, 420);
  cairo_t* cr = cairo_create(surface);
  PdfTextFonts fonts;
  std::vector<std::vector<GlyphRun>> runs;
  for (const Line& line : lines()) {
    // Laid out at scale 1, as a PDF context lays out its text.
    cairo_identity_matrix(cr);
    PangoLayout* layout = layoutFor(cr, line);
    if (byPango) {
      cairo_set_matrix(cr, &line.matrix);
      cairo_move_to(cr, line.origin.x, line.origin.y);
      pango_cairo_show_layout(cr, layout);
    } else {
      fonts.addLayout(layout, line.origin, runs.emplace_back());
    }
    g_object_unref(layout);
  }
  if (!byPango) {
    fonts.makeSubsets();
    const std::vector<Line> all = lines();
    for (std::size_t i = 0; i < all.size(); ++i) {
      cairo_set_matrix(cr, &all[i].matrix);
      for (const GlyphRun& run : runs[i]) fonts.draw(cr, run);
    }
  }
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  EXPECT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS);
  cairo_surface_destroy(surface);
}

TEST(PdfText, TheCutDownFontsDrawTheGlyphsPangoDrawsWhereItDrawsThem) {
  TempFolder folder("quodl-pdf-text");
  const std::string pango = folder / "pango.pdf", runs = folder / "runs.pdf";
  writePage(pango, true);
  writePage(runs, false);

  const std::string before = shown(pango), after = shown(runs);
  ASSERT_GT(before.size(), 100'000u);
  EXPECT_TRUE(before == after) << "the pages differ";
  int ink = 0;
  for (char c : after) ink += static_cast<unsigned char>(c) < 128 ? 1 : 0;
  EXPECT_GT(ink, 2000);

  // The same characters come back from either file, whichever font drew them.
  const std::string text = run("/usr/bin/pdftotext", {runs, "-"});
  EXPECT_EQ(text, run("/usr/bin/pdftotext", {pango, "-"}));
  for (const char* part : {"KITCHEN 设备间 1:50", "卫生间 BATH", "配电室 DOOR D-12", "box"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part;
  }

  // Cairo embeds most of a CJK font's subroutines for a few glyphs; the cut-down fonts hold only the glyphs.
  const std::size_t whole = fontProgramBytes(pango), cut = fontProgramBytes(runs);
  EXPECT_GT(whole, 500'000u);
  EXPECT_LT(cut, whole / 20);
  EXPECT_GT(cut, 0u);
}

TEST(PdfText, APdfContextEmbedsEachFontOnceForAllItsPages) {
  TempFolder folder("quodl-pdf-text");
  const std::string path = folder / "pages.pdf";
  auto pdf = CairoContext::pdf(path, 420, 297);
  ASSERT_TRUE(pdf);
  pdf->drawString("平面图 PLAN", Point{30, 30}, {});
  pdf->newPage();
  pdf->drawString("立面图 ELEVATION", Point{30, 30}, {});
  pdf->newPage();
  pdf->fillRect({10, 10, 20, 20}, Color::black());
  ASSERT_EQ(pdf->finish(), "");

  EXPECT_EQ(run("/usr/bin/qpdf", {"--show-npages", path}), "3\n");
  const std::string fonts = run("/usr/bin/pdffonts", {path});
  EXPECT_EQ(std::count(fonts.begin(), fonts.end(), '\n'), 3) << fonts;  // two heading lines and one font
  EXPECT_NE(fonts.find("NotoSansCJKsc-Regular"), std::string::npos) << fonts;
  const std::string text = run("/usr/bin/pdftotext", {path, "-"});
  EXPECT_NE(text.find("平面图 PLAN"), std::string::npos);
  EXPECT_NE(text.find("立面图 ELEVATION"), std::string::npos);
  EXPECT_LT(fontProgramBytes(path), 12'000u);
}

}  // namespace
}  // namespace graphics
