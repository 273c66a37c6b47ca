// Plotted PDFs are lean: the CFF font cairo embeds holds only what the page's glyphs use and still draws the
// same glyphs, text stays searchable, coordinates carry two decimals of a point, and a merged PDF of many
// sheets holds each font once.
#include "graphics/pdf_compaction.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <sstream>
#include <string>
#include <vector>

#include "cadhost_run.h"
#include "foundation/files.h"
#include "graphics/cairo_context.h"
#include "graphics/pdf_merge.h"
#include "temp_folder.h"

namespace graphics {
namespace {

cairo_status_t append(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// A page as cairo writes it by itself: upper-case Latin and Chinese in one font, as every Chinese drawing has
// them, and lines at coordinates no plot resolves.
std::string cairoPage() {
  std::string bytes;
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(append, &bytes, 420, 297);
  cairo_t* cr = cairo_create(surface);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_from_string("Noto Sans CJK SC 24");
  pango_layout_set_font_description(layout, font);
  pango_layout_set_text(layout, "KITCHEN 设备间", -1);
  cairo_move_to(cr, 20.123456, 30.987654);
  pango_cairo_show_layout(cr, layout);
  cairo_set_line_width(cr, 0.7086614);
  for (int i = 0; i < 20; ++i) {
    cairo_move_to(cr, 10.0 + i * 19.3333333, 150.1234567);
    cairo_line_to(cr, 30.0 + i * 17.7777777, 280.9876543);
  }
  cairo_stroke(cr);
  pango_font_description_free(font);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  cairo_surface_destroy(surface);
  return bytes;
}

std::string run(const std::string& program, const std::vector<std::string>& arguments) {
  RunOptions options;
  options.separateErrors = true;
  const CadhostRun done = runProgram(program, arguments, "", options);
  EXPECT_EQ(done.exitStatus, 0) << program << ": " << done.errors;
  return done.output;
}

// The page as pdftoppm shows it, 100 pixels an inch, as grey bytes (the PGM's pixels).
std::string shown(const std::string& pdf) {
  const std::string base = pdf.substr(0, pdf.size() - 4);
  run("/usr/bin/pdftoppm", {"-r", "100", "-gray", "-singlefile", pdf, base});
  const std::string pgm = foundation::readFile(base + ".pgm").data;
  // "P5\n<w> <h>\n255\n" and the pixels.
  std::size_t at = 0;
  for (int lines = 0; lines < 3 && at != std::string::npos; ++lines) at = pgm.find('\n', at) + 1;
  return at == std::string::npos ? std::string() : pgm.substr(at);
}

// The file's objects written out loose and uncompressed, to be read as text.
std::string opened(const std::string& pdf) {
  run("/usr/bin/qpdf", {"--qdf", "--object-streams=disable", pdf, pdf + ".qdf"});
  return foundation::readFile(pdf + ".qdf").data;
}

int occurrences(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(PdfCompaction, TheFontHoldsOnlyItsGlyphsWhichDrawAndReadAsBefore) {
  TempFolder folder("quodl-lean");
  const std::string cairo = cairoPage();
  std::string lean = cairo;
  ASSERT_TRUE(compactPdf(lean));
  ASSERT_TRUE(foundation::writeFileAtomically(folder / "cairo.pdf", cairo));
  ASSERT_TRUE(foundation::writeFileAtomically(folder / "lean.pdf", lean));
  // Cairo's own file carries most of the font's subroutines: near a megabyte for a dozen glyphs.
  EXPECT_GT(cairo.size(), 500'000u);
  EXPECT_LT(lean.size(), 12'000u);
  EXPECT_NE(run("/usr/bin/qpdf", {"--check", folder / "lean.pdf"}).find("No syntax or stream encoding errors"),
            std::string::npos);

  // The same glyphs, pixel for pixel (the text lies above 1.5 inches); the lines moved by their rounding only
  // as far as anti-aliasing shows.
  const std::string before = shown(folder / "cairo.pdf"), after = shown(folder / "lean.pdf");
  ASSERT_EQ(before.size(), after.size());
  const std::size_t textEnd = 150 * 583;  // 150 rows of a page 420 points wide
  ASSERT_GT(before.size(), 2 * textEnd);
  EXPECT_EQ(before.substr(0, textEnd), after.substr(0, textEnd));
  int textInk = 0, lineInk = 0, moved = 0;
  for (std::size_t i = 0; i < before.size(); ++i) {
    const int a = static_cast<unsigned char>(before[i]), b = static_cast<unsigned char>(after[i]);
    if (a < 128) ++(i < textEnd ? textInk : lineInk);
    if (std::abs(a - b) > 64) ++moved;
  }
  EXPECT_GT(textInk, 300);
  EXPECT_GT(lineInk, 300);
  EXPECT_EQ(moved, 0);

  // Selectable and searchable: the text maps back to its characters.
  EXPECT_NE(run("/usr/bin/pdftotext", {folder / "lean.pdf", "-"}).find("KITCHEN 设备间"), std::string::npos);
  const std::string objects = opened(folder / "lean.pdf");
  EXPECT_EQ(occurrences(objects, "/ToUnicode"), 1);

  // Path coordinates and widths to 0.01 point, where cairo writes thousandths or more.
  std::istringstream tokens(objects);
  std::vector<std::string> recent;
  int paths = 0;
  for (std::string token; tokens >> token;) {
    if ((token == "m" || token == "l") && recent.size() >= 2) {
      const std::string x = recent[recent.size() - 2], y = recent.back();
      if (x.find_first_not_of("-0123456789.") == std::string::npos &&
          y.find_first_not_of("-0123456789.") == std::string::npos) {
        ++paths;
        for (const std::string& number : {x, y}) {
          const std::size_t dot = number.find('.');
          EXPECT_TRUE(dot == std::string::npos || number.size() - dot - 1 <= 2) << x << " " << y << " " << token;
        }
      }
    }
    recent.push_back(std::move(token));
    if (recent.size() > 2) recent.erase(recent.begin());
  }
  EXPECT_GE(paths, 40);
  EXPECT_NE(objects.find("0.71 w"), std::string::npos);
}

TEST(PdfCompaction, BytesThatAreNoPdfStayAsTheyWere) {
  for (std::string bytes : {std::string(), std::string("%PDF-1.5\nnot a file"), cairoPage().substr(0, 4000)}) {
    const std::string kept = bytes;
    EXPECT_FALSE(compactPdf(bytes));
    EXPECT_EQ(bytes, kept);
  }
}

TEST(PdfCompaction, AMergedPdfOfAHundredSheetsHoldsEachFontOnce) {
  TempFolder folder("quodl-lean");
  // Four sheets drawn, each with its own line work and one of two titles (so two subsets of the font), and
  // copies of them: a hundred sheets as a batch plot makes them.
  std::vector<std::string> sheets;
  for (int n = 0; n < 4; ++n) {
    sheets.push_back(folder / ("sheet-" + std::to_string(n) + ".pdf"));
    auto page = CairoContext::pdf(sheets.back(), 420, 297);
    ASSERT_TRUE(page);
    page->fillRect({10.0 + 20 * n, 10, 5, 5}, Color::black());
    page->drawString(n % 2 == 0 ? "平面图 PLAN" : "立面图 ELEVATION", Point{40, 40}, {});
    ASSERT_EQ(page->finish(), "");
  }
  for (int n = 4; n < 100; ++n) {
    sheets.push_back(folder / ("sheet-" + std::to_string(n) + ".pdf"));
    ASSERT_TRUE(foundation::writeFileAtomically(sheets.back(), foundation::readFile(sheets[n % 4]).data));
  }
  const std::string merged = folder / "merged.pdf";
  std::string error;
  ASSERT_TRUE(mergePdfDocuments(sheets, merged, &error)) << error;
  EXPECT_NE(run("/usr/bin/qpdf", {"--check", merged}).find("No syntax or stream encoding errors"), std::string::npos);
  EXPECT_EQ(run("/usr/bin/qpdf", {"--show-npages", merged}), "100\n");
  const std::string objects = opened(merged);
  EXPECT_EQ(occurrences(objects, "/FontFile3"), 2);
  EXPECT_EQ(occurrences(objects, "/Type /Font\n"), 4);  // each a Type 0 font and its CID font
  const std::string text = run("/usr/bin/pdftotext", {"-f", "99", "-l", "100", merged, "-"});
  EXPECT_NE(text.find("平面图 PLAN"), std::string::npos);
  EXPECT_NE(text.find("立面图 ELEVATION"), std::string::npos);
}

}  // namespace
}  // namespace graphics
