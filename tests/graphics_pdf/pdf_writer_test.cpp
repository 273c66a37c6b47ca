#include "graphics/pdf_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>

#include "foundation/file_faults.h"
#include "graphics/pdf_document.h"
#include "cadhost_run.h"
#include "pdf_fixture.h"
#include "temp_folder.h"

using graphics::PdfBox;
using graphics::PdfDocument;
using graphics::PdfMatrix;
using graphics::PdfRect;
using graphics::PdfWriter;
using pdf_test::fillRect;

namespace {

void expectNear(const std::optional<PdfRect>& actual, const PdfRect& expected, const std::string& what) {
  ASSERT_TRUE(actual) << what << ": no ink";
  EXPECT_NEAR(actual->x, expected.x, 1) << what;
  EXPECT_NEAR(actual->y, expected.y, 1) << what;
  EXPECT_NEAR(actual->width, expected.width, 1) << what;
  EXPECT_NEAR(actual->height, expected.height, 1) << what;
}

std::unique_ptr<PdfDocument> openOrFail(const std::string& path) {
  std::string error;
  auto document = PdfDocument::open(path, &error);
  EXPECT_TRUE(document) << error;
  return document;
}

// One page of `size` holding `page` drawn under `m`, written to `path`.
void drawOnePage(const std::string& path, const graphics::PdfPage& page, PdfRect size, const PdfMatrix& m) {
  std::string error;
  auto writer = PdfWriter::create(path, &error);
  ASSERT_TRUE(writer) << error;
  writer->beginPage(size);
  writer->concatCTM(m);
  writer->drawPage(page);
  writer->endPage();
  ASSERT_TRUE(writer->close(&error)) << error;
}

TEST(PdfWriterDraw, APageLandsWhereTheTransformSays) {
  TempFolder dir("quodl-pdf");
  pdf_test::writeFile(dir / "source.pdf",
                      pdf_test::pdfWithPages({{"[0 0 200 100]", "", "", fillRect(20, 10, 40, 30) + fillRect(180, 80, 10, 10)}}));
  auto source = openOrFail(dir / "source.pdf");
  ASSERT_TRUE(source);
  drawOnePage(dir / "out.pdf", *source->page(1), {0, 0, 400, 300}, {1.5, 0, 0, 1.5, 100, 50});

  const pdf_test::Raster raster = pdf_test::renderPage(dir / "out.pdf");
  ASSERT_EQ(raster.width, 400);
  ASSERT_EQ(raster.height, 300);
  expectNear(pdf_test::inkBounds(raster, PdfRect{0, 0, 300, 300}), {130, 65, 60, 45}, "block");
  expectNear(pdf_test::inkBounds(raster, PdfRect{300, 0, 100, 300}), {370, 170, 15, 15}, "marker");
  EXPECT_TRUE(pdf_test::qpdfChecks(dir / "out.pdf"));
}

TEST(PdfWriterDraw, APageIsClippedToItsCropBox) {
  TempFolder dir("quodl-pdf");
  const std::string content = fillRect(20, 10, 40, 30) + fillRect(150, 10, 40, 30);
  pdf_test::writeFile(dir / "left.pdf", pdf_test::pdfWithPages({{"[0 0 200 100]", "[0 0 100 100]", "", content}}));
  pdf_test::writeFile(dir / "right.pdf", pdf_test::pdfWithPages({{"[0 0 200 100]", "[100 0 200 100]", "", content}}));

  auto left = openOrFail(dir / "left.pdf");
  ASSERT_TRUE(left);
  drawOnePage(dir / "out-left.pdf", *left->page(1), {0, 0, 200, 100}, {});
  expectNear(pdf_test::inkBounds(pdf_test::renderPage(dir / "out-left.pdf")), {20, 10, 40, 30}, "left half");

  // The crop box's own corner goes to the new page's origin when drawn through its drawing transform.
  auto right = openOrFail(dir / "right.pdf");
  ASSERT_TRUE(right);
  const graphics::PdfPage page = *right->page(1);
  drawOnePage(dir / "out-right.pdf", page, {0, 0, 100, 100},
              page.drawingTransform(PdfBox::crop, {0, 0, 100, 100}, 0, false));
  expectNear(pdf_test::inkBounds(pdf_test::renderPage(dir / "out-right.pdf")), {50, 10, 40, 30}, "right half");
}

TEST(PdfWriterDraw, ClipAndTransformLastUntilTheStateIsRestored) {
  TempFolder dir("quodl-pdf");
  pdf_test::writeFile(dir / "source.pdf", pdf_test::pdfWithPages({{"[0 0 200 100]", "", "", fillRect(20, 10, 40, 30)}}));
  auto source = openOrFail(dir / "source.pdf");
  ASSERT_TRUE(source);
  const graphics::PdfPage page = *source->page(1);

  auto writer = PdfWriter::create(dir / "out.pdf");
  ASSERT_TRUE(writer);
  writer->beginPage({0, 0, 200, 100});
  writer->saveGState();
  writer->clipToRect({0, 0, 30, 100});
  writer->drawPage(page);
  writer->restoreGState();
  writer->saveGState();
  writer->concatCTM({1, 0, 0, 1, 100, 50});
  writer->drawPage(page);
  // Left saved: the page's end restores it.
  writer->endPage();
  std::string error;
  ASSERT_TRUE(writer->close(&error)) << error;

  const pdf_test::Raster raster = pdf_test::renderPage(dir / "out.pdf");
  expectNear(pdf_test::inkBounds(raster, PdfRect{0, 0, 100, 100}), {20, 10, 10, 30}, "clipped copy");
  expectNear(pdf_test::inkBounds(raster, PdfRect{100, 0, 100, 100}), {120, 60, 40, 30}, "moved copy");
  EXPECT_TRUE(pdf_test::qpdfChecks(dir / "out.pdf"));
}

enum class ContentKind { plain, deflated, split, encrypted };

// An asymmetric picture (a block low left, a square high right) on a page whose box has its corner at
// (10, 20); the page's rotation either on the page or inherited from the page tree.
std::string turnedSource(const std::string& rotate, bool inherited, ContentKind kind) {
  const std::string block = fillRect(30, 30, 40, 30);
  const std::string square = fillRect(160, 90, 20, 20);
  pdf_test::PdfBuilder pdf;
  std::string contents;
  if (kind == ContentKind::split) {
    contents = "[" + std::to_string(pdf.addStream("", block)) + " 0 R " + std::to_string(pdf.addStream("", square)) +
               " 0 R]";
  } else if (kind == ContentKind::deflated || kind == ContentKind::encrypted) {
    contents = std::to_string(pdf.addStream("/Filter /FlateDecode", pdf_test::deflate(block + square))) + " 0 R";
  } else {
    contents = std::to_string(pdf.addStream("", block + square)) + " 0 R";
  }
  const std::string boxes = "/MediaBox [10 20 210 120] /Rotate " + rotate;
  const int tree = pdf.reserve();
  const int page = pdf.add("<< /Type /Page /Parent " + std::to_string(tree) + " 0 R /Contents " + contents +
                           (inherited ? "" : " " + boxes) + " >>");
  pdf.set(tree, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 " + (inherited ? boxes : "") + " >>");
  return pdf.build(pdf.add("<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>"));
}

TEST(PdfWriterDraw, TurnedPagesAreDrawnUprightAsAViewerShowsThem) {
  TempFolder dir("quodl-pdf");
  const ContentKind kinds[] = {ContentKind::plain, ContentKind::deflated, ContentKind::split, ContentKind::encrypted};
  int variant = 0;
  for (const std::string rotate : {"0", "90", "180", "270", "-90"}) {
    for (bool inherited : {false, true}) {
      const ContentKind kind = kinds[variant++ % 4];
      const std::string what = "rotate " + rotate + (inherited ? " inherited" : "") + " content " +
                               std::to_string(static_cast<int>(kind));
      const std::string sourcePath = dir / ("source-" + std::to_string(variant) + ".pdf");
      const std::string outPath = dir / ("upright-" + std::to_string(variant) + ".pdf");
      pdf_test::writeFile(sourcePath, turnedSource(rotate, inherited, kind));
      if (kind == ContentKind::encrypted) {
        // Readable without a password, as plot files that forbid editing are.
        const std::string plain = dir / "plain.pdf";
        std::filesystem::rename(sourcePath, plain);
        ASSERT_EQ(runProgram(pdf_test::programPath("qpdf"), {"--encrypt", "", "owner", "256", "--", plain, sourcePath},
                             "", RunOptions{})
                      .exitStatus,
                  0);
      }
      auto source = openOrFail(sourcePath);
      ASSERT_TRUE(source) << what;
      const graphics::PdfPage page = *source->page(1);
      const bool turned = graphics::quarterTurns(page.rotationAngle()) % 2 == 1;
      const PdfRect upright{0, 0, turned ? 100.0 : 200.0, turned ? 200.0 : 100.0};
      drawOnePage(outPath, page, upright, page.drawingTransform(PdfBox::media, upright, 0, false));

      const pdf_test::Raster shown = pdf_test::renderPage(sourcePath);
      const pdf_test::Raster drawn = pdf_test::renderPage(outPath);
      ASSERT_GT(shown.width, 0) << what;
      EXPECT_EQ(drawn.width, static_cast<int>(upright.width)) << what;
      EXPECT_EQ(drawn.height, static_cast<int>(upright.height)) << what;
      EXPECT_EQ(pdf_test::inkDifference(shown, drawn), 0) << what;
      EXPECT_TRUE(pdf_test::inkBounds(drawn)) << what;
      EXPECT_TRUE(pdf_test::qpdfChecks(outPath)) << what;
    }
  }
}

TEST(PdfWriterDraw, ANewFileMayReplaceTheSourceItWasDrawnFrom) {
  TempFolder dir("quodl-pdf");
  const std::string path = dir / "sheet.pdf";
  pdf_test::writeFile(path, pdf_test::pdfWithPages({{"[0 0 200 100]", "", "", fillRect(20, 10, 40, 30)}}));
  {
    auto source = openOrFail(path);
    ASSERT_TRUE(source);
    drawOnePage(path, *source->page(1), {0, 0, 100, 50}, {0.5, 0, 0, 0.5, 0, 0});
  }
  auto rewritten = openOrFail(path);
  ASSERT_TRUE(rewritten);
  EXPECT_EQ(rewritten->page(1)->boxRect(PdfBox::media).width, 100);
  expectNear(pdf_test::inkBounds(pdf_test::renderPage(path)), {10, 5, 20, 15}, "half size");
}

TEST(PdfWriterClose, ASourceFileReplacedBeforeTheWriteIsNotRead) {
  TempFolder dir("quodl-pdf");
  const std::string sourcePath = dir / "source.pdf";
  const std::string content = fillRect(20, 10, 40, 30);
  pdf_test::writeFile(sourcePath, pdf_test::pdfWithPages({{"[0 0 200 100]", "", "", content}}));
  auto source = openOrFail(sourcePath);
  ASSERT_TRUE(source);
  for (const bool removed : {false, true}) {
    auto writer = PdfWriter::create(dir / "out.pdf");
    ASSERT_TRUE(writer);
    writer->beginPage({0, 0, 200, 100});
    writer->drawPage(*source->page(1));
    writer->endPage();
    // Another file of the same layout: its bytes stand where the page's stream data was.
    if (removed) {
      std::filesystem::remove(sourcePath);
    } else {
      pdf_test::writeFile(sourcePath, pdf_test::pdfWithPages({{"[0 0 200 100]", "", "", fillRect(90, 10, 40, 30)}}));
    }
    std::string error;
    EXPECT_FALSE(writer->close(&error));
    EXPECT_EQ(error, "Cannot write PDF \"" + (dir / "out.pdf") + "\": \"" + sourcePath + "\" changed after it was opened");
    EXPECT_FALSE(std::filesystem::exists(dir / "out.pdf"));
  }
}

// A complete, different file at the target that each failure must leave alone.
struct Target {
  std::string path;
  std::string bytes;
};

Target oldTarget(const TempFolder& dir) {
  Target target{dir / "target.pdf", pdf_test::pdfWithPages({{"[0 0 50 50]", "", "", ""}})};
  pdf_test::writeFile(target.path, target.bytes);
  return target;
}

TEST(PdfWriterClose, AFailedWriteLeavesTheOldTargetWholeAndNoWorkFile) {
  struct Fault {
    foundation::FileOperation operation;
    int error;
    const char* text;
  };
  const Fault faults[] = {
      {foundation::FileOperation::write, ENOSPC, "No space left on device"},
      {foundation::FileOperation::rename, EROFS, "Read-only file system"},
  };
  TempFolder dir("quodl-pdf");
  pdf_test::writeFile(dir / "source.pdf", pdf_test::pdfWithPages({{"[0 0 200 100]", "", "", fillRect(20, 10, 40, 30)}}));
  auto source = openOrFail(dir / "source.pdf");
  ASSERT_TRUE(source);
  const Target target = oldTarget(dir);
  for (const Fault& fault : faults) {
    auto writer = PdfWriter::create(target.path);
    ASSERT_TRUE(writer);
    writer->beginPage({0, 0, 200, 100});
    writer->drawPage(*source->page(1));
    writer->endPage();
    foundation::failNextFileOperation(fault.operation, fault.error);
    std::string error;
    EXPECT_FALSE(writer->close(&error)) << fault.text;
    foundation::clearFileFaults();
    EXPECT_NE(error.find(fault.text), std::string::npos) << error;
    EXPECT_NE(error.find(target.path), std::string::npos) << error;
    EXPECT_EQ(pdf_test::readFile(target.path), target.bytes) << fault.text;
    EXPECT_EQ(pdf_test::folderEntries(dir.path()), (std::vector<std::string>{"source.pdf", "target.pdf"})) << fault.text;
  }
}

TEST(PdfWriterClose, MisuseFailsTheCloseAndWritesNothing) {
  struct Misuse {
    const char* name;
    std::function<void(PdfWriter&, const graphics::PdfPage&)> calls;
    const char* error;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Misuse cases[] = {
      {"draw before a page", [](PdfWriter& w, const graphics::PdfPage& p) { w.drawPage(p); }, "drawPage outside a page"},
      {"restore without save",
       [](PdfWriter& w, const graphics::PdfPage&) {
         w.beginPage({0, 0, 10, 10});
         w.restoreGState();
       },
       "restoreGState without a saved state"},
      {"page in a page",
       [](PdfWriter& w, const graphics::PdfPage&) {
         w.beginPage({0, 0, 10, 10});
         w.beginPage({0, 0, 10, 10});
       },
       "beginPage inside a page"},
      {"empty page", [](PdfWriter& w, const graphics::PdfPage&) { w.beginPage({0, 0, 0, 10}); },
       "beginPage with an unusable media box"},
      {"no number",
       [nan](PdfWriter& w, const graphics::PdfPage&) {
         w.beginPage({0, 0, 10, 10});
         w.concatCTM({nan, 0, 0, 1, 0, 0});
       },
       "concatCTM with a non-finite value"},
      {"end without begin", [](PdfWriter& w, const graphics::PdfPage&) { w.endPage(); }, "endPage outside a page"},
  };
  TempFolder dir("quodl-pdf");
  pdf_test::writeFile(dir / "source.pdf", pdf_test::pdfWithPages({{"[0 0 200 100]", "", "", ""}}));
  auto source = openOrFail(dir / "source.pdf");
  ASSERT_TRUE(source);
  const Target target = oldTarget(dir);
  for (const Misuse& c : cases) {
    auto writer = PdfWriter::create(target.path);
    ASSERT_TRUE(writer);
    c.calls(*writer, *source->page(1));
    // A good page after the fault does not clear it.
    writer->beginPage({0, 0, 10, 10});
    writer->endPage();
    std::string error;
    EXPECT_FALSE(writer->close(&error)) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
    EXPECT_EQ(pdf_test::readFile(target.path), target.bytes) << c.name;
  }
  EXPECT_EQ(pdf_test::folderEntries(dir.path()), (std::vector<std::string>{"source.pdf", "target.pdf"}));

  // Closed once: a second close fails and changes nothing.
  auto writer = PdfWriter::create(dir / "once.pdf");
  ASSERT_TRUE(writer);
  writer->beginPage({0, 0, 10, 10});
  ASSERT_TRUE(writer->close());
  std::string error;
  EXPECT_FALSE(writer->close(&error));
  EXPECT_EQ(error, "close of a PDF already closed");
  auto once = openOrFail(dir / "once.pdf");
  ASSERT_TRUE(once);
  EXPECT_EQ(once->pageCount(), 1u);
}

TEST(PdfWriterClose, AWriterNeverClosedLeavesTheTargetAlone) {
  TempFolder dir("quodl-pdf");
  const Target target = oldTarget(dir);
  {
    auto writer = PdfWriter::create(target.path);
    ASSERT_TRUE(writer);
    writer->beginPage({0, 0, 300, 300});
    writer->endPage();
  }
  EXPECT_EQ(pdf_test::readFile(target.path), target.bytes);
  EXPECT_EQ(pdf_test::folderEntries(dir.path()), std::vector<std::string>{"target.pdf"});
}

TEST(PdfWriterCreate, RefusesPathsNoFileCanBeWrittenAt) {
  TempFolder dir("quodl-pdf");
  std::string error;
  EXPECT_FALSE(PdfWriter::create(dir / "absent/out.pdf", &error));
  EXPECT_EQ(error, "Cannot create PDF \"" + (dir / "absent/out.pdf") + "\": no folder \"" + (dir / "absent") + "\"");
  ASSERT_EQ(mkdir((dir / "folder.pdf").c_str(), 0755), 0);
  EXPECT_FALSE(PdfWriter::create(dir / "folder.pdf", &error));
  EXPECT_EQ(error, "Cannot create PDF \"" + (dir / "folder.pdf") + "\": a folder stands at that path");
  EXPECT_FALSE(PdfWriter::create(dir.path() + "/", &error));
  EXPECT_FALSE(error.empty());
  if (geteuid() != 0) {
    ASSERT_EQ(mkdir((dir / "locked").c_str(), 0555), 0);
    EXPECT_FALSE(PdfWriter::create(dir / "locked/out.pdf", &error));
    EXPECT_NE(error.find("is not writable"), std::string::npos) << error;
  }
}

}  // namespace
