#include "graphics/pdf_merge.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>

#include "graphics/pdf_document.h"
#include "pdf_fixture.h"
#include "temp_folder.h"

using graphics::PdfBox;
using graphics::PdfDocument;
using pdf_test::fillRect;

namespace {

struct Sources {
  std::vector<std::string> paths;
  // The first three merged pages as a viewer shows them in their sources.
  std::vector<pdf_test::Raster> shown;
};

// Pages of three sizes: a plain one, one turned by its page tree, and a document of two pages, the second
// with a crop box and a box corner away from the origin.
Sources threeSources(const TempFolder& dir) {
  Sources sources;
  sources.paths = {dir / "a.pdf", dir / "b.pdf", dir / "c.pdf"};
  pdf_test::writeFile(sources.paths[0], pdf_test::pdfWithPages({{"[0 0 200 100]", "", "", fillRect(20, 10, 40, 30)}}));
  pdf_test::writeFile(sources.paths[1], pdf_test::pdfWithPages({{"", "", "", fillRect(10, 10, 100, 20) + fillRect(250, 180, 30, 10)}},
                                                               "/MediaBox [0 0 300 200] /Rotate 90"));
  pdf_test::writeFile(sources.paths[2],
                      pdf_test::pdfWithPages({{"[0 0 120 80]", "", "180", fillRect(5, 5, 20, 20)},
                                              {"[50 50 250 150]", "[60 60 240 140]", "", fillRect(50, 50, 200, 100)}}));
  sources.shown = {pdf_test::renderPage(sources.paths[0]), pdf_test::renderPage(sources.paths[1]),
                   pdf_test::renderPage(sources.paths[2], 1)};
  return sources;
}

TEST(PdfMerge, PagesOfSeveralDocumentsFollowInOrderUprightAsShown) {
  TempFolder dir("quodl-pdf");
  const Sources sources = threeSources(dir);
  pdf_test::writeFile(dir / "merged.pdf", "an older file");
  std::string error;
  ASSERT_TRUE(graphics::mergePdfDocuments(sources.paths, dir / "merged.pdf", &error)) << error;
  EXPECT_TRUE(error.empty());

  auto merged = PdfDocument::open(dir / "merged.pdf", &error);
  ASSERT_TRUE(merged) << error;
  ASSERT_EQ(merged->pageCount(), 4u);
  const double sizes[][2] = {{200, 100}, {200, 300}, {120, 80}, {200, 100}};
  for (std::size_t n = 1; n <= 4; ++n) {
    const graphics::PdfPage page = *merged->page(n);
    EXPECT_EQ(page.rotationAngle(), 0) << n;
    EXPECT_EQ(page.boxRect(PdfBox::media).x, 0) << n;
    EXPECT_EQ(page.boxRect(PdfBox::media).width, sizes[n - 1][0]) << n;
    EXPECT_EQ(page.boxRect(PdfBox::media).height, sizes[n - 1][1]) << n;
    const pdf_test::Raster drawn = pdf_test::renderPage(dir / "merged.pdf", static_cast<int>(n));
    if (n <= 3) {
      EXPECT_EQ(pdf_test::inkDifference(sources.shown[n - 1], drawn), 0) << "page " << n;
    } else {
      // The viewer shows the whole media box; the merge clips the block that fills it to the crop box.
      const std::optional<graphics::PdfRect> ink = pdf_test::inkBounds(drawn);
      ASSERT_TRUE(ink);
      EXPECT_EQ(ink->x, 10);
      EXPECT_EQ(ink->y, 10);
      EXPECT_EQ(ink->width, 180);
      EXPECT_EQ(ink->height, 80);
    }
  }
  EXPECT_TRUE(pdf_test::qpdfChecks(dir / "merged.pdf"));
  EXPECT_EQ(pdf_test::folderEntries(dir.path()), (std::vector<std::string>{"a.pdf", "b.pdf", "c.pdf", "merged.pdf"}));
}

TEST(PdfMerge, ASourceThatCannotBeReadLeavesTheTargetAsItWas) {
  TempFolder dir("quodl-pdf");
  Sources sources = threeSources(dir);
  pdf_test::writeFile(dir / "merged.pdf", "an older file");
  const std::string damaged = dir / "damaged.pdf";
  const std::string intact = pdf_test::readFile(sources.paths[0]);
  pdf_test::writeFile(damaged, intact.substr(0, intact.size() - 60));

  struct Case {
    std::vector<std::string> paths;
    std::string errorStart;
  };
  const Case cases[] = {
      {{sources.paths[0], damaged, sources.paths[1]}, "Cannot open PDF \"" + damaged + "\": "},
      {{sources.paths[0], dir / "absent.pdf"}, "Cannot open PDF \"" + (dir / "absent.pdf") + "\": no such file"},
      {{}, "Cannot merge PDFs into \"" + (dir / "merged.pdf") + "\": no source"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(graphics::mergePdfDocuments(c.paths, dir / "merged.pdf", &error));
    EXPECT_EQ(error.rfind(c.errorStart, 0), 0u) << error;
    EXPECT_EQ(pdf_test::readFile(dir / "merged.pdf"), "an older file");
  }
  EXPECT_EQ(pdf_test::folderEntries(dir.path()), (std::vector<std::string>{"a.pdf", "b.pdf", "c.pdf", "damaged.pdf", "merged.pdf"}));

  std::string error;
  EXPECT_FALSE(graphics::mergePdfDocuments(sources.paths, dir / "absent/merged.pdf", &error));
  EXPECT_EQ(error.rfind("Cannot create PDF", 0), 0u) << error;
}

// Files stay closed while the merge waits to write: far more sources than the process may hold open join.
TEST(PdfMerge, MoreSourcesThanOpenFilesAllowed) {
  TempFolder dir("quodl-pdf");
  const std::string sheet = pdf_test::pdfWithPages({{"[0 0 20 10]", "", "", fillRect(2, 2, 5, 5)}});
  std::vector<std::string> paths;
  for (int i = 0; i < 120; ++i) {
    paths.push_back(dir / ("sheet-" + std::to_string(i) + ".pdf"));
    pdf_test::writeFile(paths.back(), sheet);
  }
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  const auto open = static_cast<rlim_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                      std::filesystem::directory_iterator()));
  rlimit low = saved;
  low.rlim_cur = std::min<rlim_t>(saved.rlim_cur, open + 40);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  std::string error;
  const bool merged = graphics::mergePdfDocuments(paths, dir / "merged.pdf", &error);
  setrlimit(RLIMIT_NOFILE, &saved);
  ASSERT_TRUE(merged) << error;
  auto document = PdfDocument::open(dir / "merged.pdf");
  ASSERT_TRUE(document);
  EXPECT_EQ(document->pageCount(), 120u);
}

}  // namespace
