#include "graphics/pdf_document.h"
#include "graphics/pdf_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

#include "pdf_fixture.h"
#include "temp_folder.h"

using graphics::PdfBox;
using graphics::PdfDocument;
using graphics::PdfRect;
using pdf_test::PageSpec;
using pdf_test::PdfBuilder;

namespace {

void expectRect(const PdfRect& actual, const PdfRect& expected, const std::string& what) {
  EXPECT_EQ(actual.x, expected.x) << what;
  EXPECT_EQ(actual.y, expected.y) << what;
  EXPECT_EQ(actual.width, expected.width) << what;
  EXPECT_EQ(actual.height, expected.height) << what;
}

TEST(PdfDocumentOpen, ReadsPagesBoxesAndRotationInheritedThroughThePageTree) {
  TempFolder dir("quodl-pdf");
  const std::string path = dir / "tree.pdf";
  // The middle node overrides the root; the second page overrides both.
  pdf_test::writeFile(path, pdf_test::pdfWithPages(
                                {{"", "", "", ""}, {"[0 0 300 200]", "[250 150 10 20]", "-90", ""}},
                                "/MediaBox [0 0 100 100] /Rotate 180", "/MediaBox [10 20 210 120] /CropBox [0 0 110 70] /Rotate 90"));
  std::string error;
  auto document = PdfDocument::open(path, &error);
  ASSERT_TRUE(document) << error;
  EXPECT_TRUE(error.empty());
  ASSERT_EQ(document->pageCount(), 2u);
  EXPECT_FALSE(document->page(0));
  EXPECT_FALSE(document->page(3));

  const graphics::PdfPage first = *document->page(1);
  EXPECT_EQ(first.pageNumber(), 1u);
  expectRect(first.boxRect(PdfBox::media), {10, 20, 200, 100}, "inherited media box");
  // The inherited crop box reaches beyond the media box: only the overlap shows.
  expectRect(first.boxRect(PdfBox::crop), {10, 20, 100, 50}, "inherited crop box");
  EXPECT_EQ(first.rotationAngle(), 90);

  const graphics::PdfPage second = *document->page(2);
  expectRect(second.boxRect(PdfBox::media), {0, 0, 300, 200}, "own media box");
  // Corners given the other way round.
  expectRect(second.boxRect(PdfBox::crop), {10, 20, 240, 130}, "own crop box, standardized");
  EXPECT_EQ(second.rotationAngle(), -90);
}

TEST(PdfDocumentOpen, CropBoxDefaultsToMediaBoxAndOneOutsideItShowsTheMediaBox) {
  TempFolder dir("quodl-pdf");
  const std::string path = dir / "crop.pdf";
  pdf_test::writeFile(path, pdf_test::pdfWithPages({{"[0 0 200 100]", "", "", ""},
                                                    {"[0 0 200 100]", "[300 300 400 400]", "", ""}}));
  auto document = PdfDocument::open(path);
  ASSERT_TRUE(document);
  expectRect(document->page(1)->boxRect(PdfBox::crop), {0, 0, 200, 100}, "no crop box");
  expectRect(document->page(2)->boxRect(PdfBox::crop), {0, 0, 200, 100}, "crop box off the page");
}

TEST(PdfDocumentOpen, APageOutlivesItsDocument) {
  TempFolder dir("quodl-pdf");
  const std::string path = dir / "one.pdf";
  pdf_test::writeFile(path, pdf_test::pdfWithPages({{"[0 0 200 100]", "", "270", ""}}));
  std::optional<graphics::PdfPage> page;
  {
    auto document = PdfDocument::open(path);
    ASSERT_TRUE(document);
    page = document->page(1);
  }
  EXPECT_EQ(page->rotationAngle(), 270);
  expectRect(page->boxRect(PdfBox::media), {0, 0, 200, 100}, "after the document went");
}

// A correct one-page file with a few named parts that the cases below break.
std::string intactPdf() {
  return pdf_test::pdfWithPages({{"[0 0 200 100]", "", "", pdf_test::fillRect(20, 10, 40, 30)}});
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  if (at == std::string::npos) throw std::runtime_error("fixture lacks " + from);
  return text.replace(at, from.size(), to);
}

// The file with the cross-reference entry of `object` pointing one byte too far.
std::string movedInTable(std::string text, int object) {
  const std::size_t table = text.find("\n", text.rfind("xref\n0 ") + 5) + 1;
  const std::size_t entry = table + static_cast<std::size_t>(object) * 20;
  const long offset = std::stol(text.substr(entry, 10)) + 1;
  std::string digits = std::to_string(offset);
  digits.insert(0, 10 - std::min<std::size_t>(digits.size(), 10), '0');
  return text.replace(entry, 10, digits);
}

struct DamageCase {
  const char* name;
  std::string bytes;
  const char* reasonPart;  // a piece of the reason the error must give (qpdf's own words where qpdf finds it)
};

TEST(PdfDocumentOpen, DamagedFilesAreRefusedWithTheirReason) {
  const std::string intact = intactPdf();
  std::vector<DamageCase> cases = {
      {"empty", "", "can't find startxref"},
      {"not a PDF", "hello, world\n", "can't find startxref"},
      {"header only", "%PDF-1.7\n", "can't find startxref"},
      {"cut in half", intact.substr(0, intact.size() / 2), "can't find startxref"},
      {"cut before the trailer", intact.substr(0, intact.find("trailer")), "can't find startxref"},
      // Every object now lies a few bytes later than the table says.
      {"shifted objects", replaced(intact, "%PDF-1.7\n", "%PDF-1.7\n\n\n\n\n\n"), "xref not found"},
      {"object not where the table says", movedInTable(intact, 3), "expected n n obj (object 3 0"},
      {"no catalog", replaced(intact, "/Root 1 0 R", "/Root 9 0 R"), "unable to find /Root"},
  };
  {
    PdfBuilder pdf;
    const int content = pdf.add("<< /Length 5 >>\nstream\n" + pdf_test::fillRect(20, 10, 40, 30) + "\nendstream");
    const int page = pdf.add("<< /Type /Page /Parent 3 0 R /MediaBox [0 0 200 100] /Contents " +
                             std::to_string(content) + " 0 R >>");
    pdf.add("<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
    cases.push_back({"stream longer than its length", pdf.build(pdf.add("<< /Type /Catalog /Pages 3 0 R >>")),
                     "expected endstream"});
  }
  {
    // The page's kids lead back to the root.
    PdfBuilder pdf;
    pdf.add("<< /Type /Catalog /Pages 2 0 R >>");
    pdf.add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.add("<< /Type /Pages /Parent 2 0 R /Kids [2 0 R] /Count 1 >>");
    cases.push_back({"page tree loop", pdf.build(1), "Loop detected in /Pages"});
  }
  cases.push_back({"no media box", pdf_test::pdfWithPages({{"", "", "", ""}}), "page 1 has no /MediaBox"});
  cases.push_back({"empty media box", pdf_test::pdfWithPages({{"[0 0 0 100]", "", "", ""}}),
                   "page 1 has an unusable /MediaBox"});
  cases.push_back({"media box of names", pdf_test::pdfWithPages({{"[/a /b /c /d]", "", "", ""}}),
                   "page 1 has an unusable /MediaBox"});
  cases.push_back({"odd rotation", pdf_test::pdfWithPages({{"[0 0 200 100]", "", "45", ""}}),
                   "page 1 has an invalid /Rotate"});
  cases.push_back({"rotation of a name", pdf_test::pdfWithPages({{"[0 0 200 100]", "", "/Ninety", ""}}),
                   "page 1 has an invalid /Rotate"});

  TempFolder dir("quodl-pdf");
  const std::string path = dir / "damaged.pdf";
  for (const DamageCase& c : cases) {
    pdf_test::writeFile(path, c.bytes);
    std::string error;
    EXPECT_FALSE(PdfDocument::open(path, &error)) << c.name;
    EXPECT_EQ(error.rfind("Cannot open PDF \"" + path + "\": ", 0), 0u) << c.name << ": " << error;
    EXPECT_NE(error.find(c.reasonPart), std::string::npos) << c.name << ": " << error;
    EXPECT_GT(error.size(), ("Cannot open PDF \"" + path + "\": ").size()) << c.name;
  }
}

TEST(PdfDocumentOpen, MissingFilesAndFoldersAreRefused) {
  TempFolder dir("quodl-pdf");
  std::string error;
  EXPECT_FALSE(PdfDocument::open(dir / "absent.pdf", &error));
  EXPECT_EQ(error, "Cannot open PDF \"" + (dir / "absent.pdf") + "\": no such file");
  EXPECT_FALSE(PdfDocument::open(dir.path(), &error));
  EXPECT_EQ(error, "Cannot open PDF \"" + dir.path() + "\": not a regular file");
}

// Every prefix of a good file and a few hundred randomly damaged copies: each is refused with a reason or
// read whole and drawn; nothing crashes and nothing half-read passes.
TEST(PdfDocumentOpen, TruncatedAndScrambledFilesNeverCrash) {
  const std::string intact = intactPdf();
  TempFolder dir("quodl-pdf");
  const std::string path = dir / "mutant.pdf";
  const auto check = [&](const std::string& bytes, const std::string& what) {
    pdf_test::writeFile(path, bytes);
    std::string error;
    auto document = PdfDocument::open(path, &error);
    if (!document) {
      EXPECT_FALSE(error.empty()) << what;
      return false;
    }
    EXPECT_TRUE(error.empty()) << what;
    // What opens can be drawn: the write succeeds or says why.
    auto writer = graphics::PdfWriter::create(dir / "drawn.pdf");
    for (std::size_t n = 1; n <= document->pageCount(); ++n) {
      EXPECT_TRUE(graphics::isUsable(document->page(n)->boxRect(PdfBox::media))) << what;
      writer->beginPage(document->page(n)->boxRect(PdfBox::media));
      writer->drawPage(*document->page(n));
      writer->endPage();
    }
    if (!writer->close(&error)) {
      EXPECT_FALSE(error.empty()) << what;
    }
    return true;
  };
  std::size_t opened = 0;
  for (std::size_t length = 0; length < intact.size(); ++length) {
    if (check(intact.substr(0, length), "cut at " + std::to_string(length))) {
      ++opened;
      // Only the end-of-file marker and the line end before it may be lost: the cross-reference table, the
      // trailer and the offset of the table are all there.
      EXPECT_GE(length, intact.rfind("%%EOF") - 1) << length;
    }
  }
  EXPECT_LT(opened, 8u);

  std::mt19937 random(20240611);
  for (int round = 0; round < 300; ++round) {
    std::string bytes = intact;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < flips; ++i) bytes[random() % bytes.size()] = static_cast<char>(random() % 256);
    check(bytes, "round " + std::to_string(round));
  }
}

}  // namespace
