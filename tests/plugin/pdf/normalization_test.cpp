// Plotted PDFs fitted to their exact papers: pages of margins, turned media, a lengthened sheet on its A3
// carrier, an overridden paper, reduced content scales (window and whole layout) and letter-boxed frames land
// where they belong, by the PDF's boxes and by where their ink lands; files are rewritten only when a page
// changes, and a file that cannot be fitted stays exactly as the host wrote it.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_device.h"
#include "cad/plot/publish_engine.h"
#include "foundation/file_faults.h"
#include "foundation/files.h"
#include "foundation/uuid.h"
#include "frame_renderer.h"
#include "pdf/normalization.h"
#include "plotted_pdf.h"

namespace {

using cad::PlotRotation;
using pdftest::kPointsPerMm;
using pdftest::layoutSheet;
using pdftest::windowSheet;
using quodl::PdfPageTarget;
using quodl::PdfRect;

constexpr wchar_t kA3Margins[] = L"ISO_A3_(420.00_x_297.00_MM)";
constexpr wchar_t kA3Bleed[] = L"ISO_full_bleed_A3_(420.00_x_297.00_MM)";
constexpr wchar_t kA4Margins[] = L"ISO_A4_(210.00_x_297.00_MM)";
constexpr wchar_t kA4BleedLandscape[] = L"ISO_full_bleed_A4_(297.00_x_210.00_MM)";

PdfPageTarget windowTarget(const quodl::PdfPlotWindow& window, double width, double height, double percent = 100) {
  return {width, height, percent, true, window};
}
PdfPageTarget layoutTarget(double percent = 100) { return {210, 297, percent, false, {}}; }

PdfRect mm(double x, double y, double w, double h) {
  return {x * kPointsPerMm, y * kPointsPerMm, w * kPointsPerMm, h * kPointsPerMm};
}

// Ink edges fall on whole pixels.
void expectNear(const std::optional<PdfRect>& ink, const PdfRect& expected, double pointsPerPixel) {
  ASSERT_TRUE(ink.has_value());
  const double tolerance = 1.5 * pointsPerPixel;
  EXPECT_NEAR(ink->x, expected.x, tolerance);
  EXPECT_NEAR(ink->y, expected.y, tolerance);
  EXPECT_NEAR(ink->x + ink->width, expected.x + expected.width, tolerance);
  EXPECT_NEAR(ink->y + ink->height, expected.y + expected.height, tolerance);
}

struct FileStamp {
  ino_t inode = 0;
  timespec modified{};
  std::string bytes;
  bool operator==(const FileStamp& o) const {
    return inode == o.inode && modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
           bytes == o.bytes;
  }
};
FileStamp stamp(const std::string& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return {};
  return {st.st_ino, st.st_mtim, pdftest::fileBytes(file)};
}

class NormalizationTest : public pdftest::PlottedPdfTest {
 protected:
  void TearDown() override {
    foundation::clearFileFaults();
    foundation::setUuidGeneratorForTesting(nullptr);
    PlottedPdfTest::TearDown();
  }
};

TEST_F(NormalizationTest, EveryKindOfPageEndsOnItsExactPaperWithItsWindowWhereItBelongs) {
  const std::vector<pdftest::Sheet> sheets = {
      windowSheet(kA3Margins, 420, 297),                                    // 1 margins around the window
      windowSheet(kA4Margins, 297, 210, PlotRotation::k90degrees),          // 2 a portrait medium turned
      windowSheet(kA4BleedLandscape, 210, 297, PlotRotation::k270degrees),  // 3 turned the other way
      windowSheet(kA3Bleed, 630, 297),                                      // 4 A3 lengthened, on its A3 carrier
      windowSheet(kA3Bleed, 420, 297),                                      // 5 plotted as A3, the user chose A2
      windowSheet(kA3Bleed, 420, 297),                                      // 6 at 50 %
      windowSheet(kA3Margins, 400, 250),                                    // 7 a frame not of A3's proportions
      layoutSheet(kA4Margins),                                              // 8 a whole layout as plotted
      layoutSheet(kA4Margins),                                              // 9 a whole layout at 50 %
  };
  const std::string pdf = path("sheets.pdf");
  std::vector<quodl::PdfPlotWindow> windows;
  ASSERT_TRUE(plot(sheets, pdf, &windows));
  const std::vector<PdfPageTarget> targets = {
      windowTarget(windows[0], 420, 297),
      windowTarget(windows[1], 297, 210),
      windowTarget(windows[2], 210, 297),
      windowTarget(windows[3], 630, 297),
      windowTarget(windows[4], 594, 420),
      windowTarget(windows[5], 420, 297, 50),
      windowTarget(windows[6], 420, 297),
      layoutTarget(),
      layoutTarget(50),
  };

  // As plotted: turned sheets carry /Rotate, and beside the first window lies ink that must go.
  const std::vector<pdftest::PageBox> plotted = pdftest::pageBoxes(pdf);
  ASSERT_EQ(plotted.size(), 9u);
  EXPECT_EQ(plotted[1].rotation, 90);
  EXPECT_EQ(plotted[2].rotation, 270);
  const std::optional<pdftest::Ink> before = pdftest::pageInk(pdf, 1);
  ASSERT_TRUE(before && before->dark);
  EXPECT_GT(before->dark->width, pdftest::kCornerShare * before->any->height + 4 * before->pointsPerPixel);

  std::string error;
  ASSERT_TRUE(quodl::normalizePdf(pdf, targets, &error)) << error;
  EXPECT_EQ(error, "");
  EXPECT_EQ(entries(), std::vector<std::string>{"sheets.pdf"});

  // The whole layout's page as the device wrote it: A4 in whole points, its printable area inside the margins.
  const PdfRect layoutPage{0, 0, 595, 842};
  const PdfRect printable = mm(5, 12, 198, 270);
  const auto halved = [&](const PdfRect& r) {
    const double cx = layoutPage.width / 2, cy = layoutPage.height / 2;
    return PdfRect{cx + (r.x - cx) / 2, cy + (r.y - cy) / 2, r.width / 2, r.height / 2};
  };
  const double corner = pdftest::kCornerShare;
  const PdfRect layoutCorner = mm(5, 12, 198 * corner, 198 * corner);
  struct Expected {
    PdfRect page, ink, dark;
  };
  const Expected expected[] = {
      {mm(0, 0, 420, 297), mm(0, 0, 420, 297), mm(0, 0, 297 * corner, 297 * corner)},
      {mm(0, 0, 297, 210), mm(0, 0, 297, 210), mm(0, 0, 210 * corner, 210 * corner)},
      {mm(0, 0, 210, 297), mm(0, 0, 210, 297), mm(0, 0, 210 * corner, 210 * corner)},
      {mm(0, 0, 630, 297), mm(0, 0, 630, 297), mm(0, 0, 297 * corner, 297 * corner)},
      {mm(0, 0, 594, 420), mm(0, 0, 594, 420), mm(0, 0, 420 * corner, 420 * corner)},
      {mm(0, 0, 420, 297), mm(105, 74.25, 210, 148.5), mm(105, 74.25, 148.5 * corner, 148.5 * corner)},
      {mm(0, 0, 420, 297), mm(0, 17.25, 420, 262.5), mm(0, 17.25, 262.5 * corner, 262.5 * corner)},
      {layoutPage, printable, layoutCorner},
      {layoutPage, halved(printable), halved(layoutCorner)},
  };
  const std::vector<pdftest::PageBox> boxes = pdftest::pageBoxes(pdf);
  ASSERT_EQ(boxes.size(), 9u);
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    SCOPED_TRACE("page " + std::to_string(i + 1));
    EXPECT_EQ(boxes[i].rotation, 0);  // drawn upright
    EXPECT_NEAR(boxes[i].x0, 0, 0.001);
    EXPECT_NEAR(boxes[i].y0, 0, 0.001);
    EXPECT_NEAR(boxes[i].x1, expected[i].page.width, 0.01);
    EXPECT_NEAR(boxes[i].y1, expected[i].page.height, 0.01);
    const std::optional<pdftest::Ink> ink = pdftest::pageInk(pdf, static_cast<int>(i) + 1);
    ASSERT_TRUE(ink.has_value());
    expectNear(ink->any, expected[i].ink, ink->pointsPerPixel);
    // Only the corner square is black: the ink beside the window was clipped away.
    expectNear(ink->dark, expected[i].dark, ink->pointsPerPixel);
  }
}

TEST_F(NormalizationTest, AFileNoPageOfWhichChangesIsOnlyVerifiedAndMadeVisible) {
  // A sheet of whole points, plotted exactly on its paper: nothing to change.
  cad::Medium exact;
  exact.canonicalName = L"Custom_254x127_MM";
  exact.width = 254;
  exact.height = 127;
  cad::acplPlotConfigManagerPtr()->pdfDevice()->addMedium(exact);
  cad::publishEngineFaults().hiddenOutput = true;

  struct Case {
    std::vector<pdftest::Sheet> sheets;
    std::vector<double> percents;
  };
  const Case cases[] = {
      {{layoutSheet(kA4Margins), layoutSheet(kA3Bleed)}, {100, 100}},
      {{windowSheet(L"Custom_254x127_MM", 254, 127)}, {100}},
      {{layoutSheet(kA4Margins)}, {250}},  // more than 100 % is 100 %
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string pdf = path("plot-" + std::to_string(++n) + ".pdf");
    SCOPED_TRACE(pdf);
    std::vector<quodl::PdfPlotWindow> windows;
    ASSERT_TRUE(plot(c.sheets, pdf, &windows));
    std::vector<PdfPageTarget> targets;
    for (std::size_t i = 0; i < c.sheets.size(); ++i) {
      targets.push_back(c.sheets[i].window ? windowTarget(windows[i], 254, 127, c.percents[i])
                                           : layoutTarget(c.percents[i]));
    }
    const FileStamp before = stamp(pdf);
    std::string error;
    ASSERT_TRUE(quodl::normalizePdf(pdf, targets, &error)) << error;
    EXPECT_TRUE(stamp(pdf) == before);
    EXPECT_FALSE(foundation::isHiddenItem(pdf));
  }
  EXPECT_EQ(entries(), (std::vector<std::string>{"plot-1.pdf", "plot-2.pdf", "plot-3.pdf"}));
}

TEST_F(NormalizationTest, AnExactPageIsRedrawnUnchangedWhenAnotherPageChanges) {
  cad::Medium exact;
  exact.canonicalName = L"Custom_254x127_MM";
  exact.width = 254;
  exact.height = 127;
  cad::acplPlotConfigManagerPtr()->pdfDevice()->addMedium(exact);
  const std::string pdf = path("two.pdf");
  std::vector<quodl::PdfPlotWindow> windows;
  ASSERT_TRUE(plot({windowSheet(L"Custom_254x127_MM", 254, 127), windowSheet(kA3Margins, 420, 297)}, pdf, &windows));
  const std::optional<pdftest::Ink> before = pdftest::pageInk(pdf, 1);
  ASSERT_TRUE(before.has_value());

  ASSERT_TRUE(quodl::normalizePdf(pdf, {windowTarget(windows[0], 254, 127), windowTarget(windows[1], 420, 297)}));
  const std::vector<pdftest::PageBox> boxes = pdftest::pageBoxes(pdf);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(std::vector<double>({boxes[0].x1, boxes[0].y1}), std::vector<double>({720, 360}));
  const std::optional<pdftest::Ink> after = pdftest::pageInk(pdf, 1);
  ASSERT_TRUE(after && after->any && after->dark);
  EXPECT_EQ(after->width, before->width);
  EXPECT_EQ(after->any->width, before->any->width);
  EXPECT_EQ(after->dark->x, before->dark->x);
  EXPECT_EQ(after->dark->height, before->dark->height);
  EXPECT_NEAR(boxes[1].x1, 420 * kPointsPerMm, 0.01);
}

TEST_F(NormalizationTest, APageNotOnItsValidatedPaperLeavesTheFileAsTheHostWroteIt) {
  cad::publishEngineFaults().oversizedPage = 2;  // drawn on a sheet 2 mm larger than validated
  const std::string pdf = path("plot.pdf");
  std::vector<quodl::PdfPlotWindow> windows;
  ASSERT_TRUE(
      plot({windowSheet(kA3Margins, 420, 297), windowSheet(kA3Margins, 420, 297), windowSheet(kA3Margins, 420, 297)},
           pdf, &windows));
  const FileStamp before = stamp(pdf);
  std::string error;
  EXPECT_FALSE(quodl::normalizePdf(
      pdf, {windowTarget(windows[0], 420, 297), windowTarget(windows[1], 420, 297), windowTarget(windows[2], 420, 297)},
      &error));
  EXPECT_EQ(error, "第 2 页的原生 PDF 纸张与已验证打印设置不一致，已保留原始 PDF，请提交诊断记录。");
  EXPECT_TRUE(stamp(pdf) == before);
  EXPECT_EQ(entries(), std::vector<std::string>{"plot.pdf"});
}

TEST_F(NormalizationTest, FailuresLeaveThePlottedFileUntouchedAndNoWorkFileBehind) {
  const std::string pdf = path("plot.pdf");
  std::vector<quodl::PdfPlotWindow> windows;
  ASSERT_TRUE(plot({windowSheet(kA3Margins, 420, 297), windowSheet(kA3Bleed, 630, 297)}, pdf, &windows));
  const std::vector<PdfPageTarget> good = {windowTarget(windows[0], 420, 297), windowTarget(windows[1], 630, 297)};

  struct Case {
    const char* what;
    std::vector<PdfPageTarget> targets;
    std::function<void()> arrange;
    std::string error;
  };
  const Case cases[] = {
      {"one target short", {good[0]}, [] {}, "Generated PDF page count does not match the staged job"},
      {"one target too many",
       {good[0], good[1], good[1]},
       [] {},
       "Generated PDF page count does not match the staged job"},
      {"a paper of no size",
       {good[0], windowTarget(windows[1], 0, 297)},
       [] {},
       "Invalid PDF paper or plot-window dimensions"},
      {"no window captured",
       {good[0], windowTarget({}, 630, 297)},
       [] {},
       "第 2 页的原生 PDF 纸张与已验证打印设置不一致，已保留原始 PDF，请提交诊断记录。"},
      // The system's reason, naming the plot, never the work file.
      {"a full disk", good, [] { foundation::failNextFileOperation(foundation::FileOperation::write, ENOSPC); },
       "Cannot create exact-size PDF replacement: Cannot write \"" + pdf + "\": " + foundation::errorText(ENOSPC)},
      // The replacement is written whole, then cannot take the plot's place.
      {"a failing replacement", good, [] { foundation::failNextFileOperation(foundation::FileOperation::rename, EIO); },
       "Cannot create exact-size PDF replacement: Cannot write \"" + pdf + "\": " + foundation::errorText(EIO)},
  };
  const FileStamp before = stamp(pdf);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.arrange();
    std::string error;
    EXPECT_FALSE(quodl::normalizePdf(pdf, c.targets, &error));
    EXPECT_TRUE(error.starts_with(c.error)) << error;
    foundation::clearFileFaults();
    EXPECT_TRUE(stamp(pdf) == before);
    EXPECT_EQ(entries(), std::vector<std::string>{"plot.pdf"});
  }
  // Then it goes through, without asking for the reason.
  EXPECT_TRUE(quodl::normalizePdf(pdf, good));
  EXPECT_EQ(entries(), std::vector<std::string>{"plot.pdf"});
}

TEST_F(NormalizationTest, DamagedMissingAndForeignFilesCannotBeReopenedAndStayAsTheyWere) {
  const std::string pdf = path("plot.pdf");
  ASSERT_TRUE(plot({layoutSheet(kA4Margins)}, pdf));
  const std::string bytes = pdftest::fileBytes(pdf);
  pdftest::writeBytes(path("truncated.pdf"), bytes.substr(0, bytes.size() * 2 / 3));
  pdftest::writeBytes(path("foreign.pdf"), "<html><body>not a plot</body></html>\n");
  // A link is never replaced by the rewrite of what it points at.
  ASSERT_EQ(::symlink(pdf.c_str(), path("link.pdf").c_str()), 0);
  for (const std::string& file : {path("truncated.pdf"), path("foreign.pdf"), path("absent.pdf"), path("link.pdf")}) {
    SCOPED_TRACE(file);
    const std::string content = pdftest::fileBytes(file);
    std::string error;
    EXPECT_FALSE(quodl::normalizePdf(file, {layoutTarget(50)}, &error));
    EXPECT_EQ(error, "Cannot reopen native PDF");
    EXPECT_EQ(pdftest::fileBytes(file), content);
  }
  EXPECT_EQ(entries(), (std::vector<std::string>{"foreign.pdf", "link.pdf", "plot.pdf", "truncated.pdf"}));
  EXPECT_TRUE(foundation::isSymbolicLink(path("link.pdf")));
}

}  // namespace
