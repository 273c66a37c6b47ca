// Joining a run's per-drawing PDFs: pages in order at their sizes, turned pages kept upright as shown, inputs
// checked before anything is written, and nothing left behind by a failure or a stop.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "file_tree.h"
#include "graphics/pdf_document.h"
#include "queue/queue_pdf_merge.h"

namespace {

struct Page {
  double width, height;
  int rotate;
};

// A small PDF as a plot device writes one: each page a framed rectangle, with its /Rotate.
std::string writePdf(const std::string& path, const std::vector<Page>& pages) {
  std::vector<std::string> objects;
  std::string kids;
  for (std::size_t i = 0; i < pages.size(); ++i) kids += std::to_string(3 + 2 * i) + " 0 R ";
  objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
  objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const Page& p = pages[i];
    const std::string content = "10 10 " + std::to_string(p.width - 20) + " " + std::to_string(p.height - 20) + " re S";
    objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + std::to_string(p.width) + " " +
                      std::to_string(p.height) + "] /Rotate " + std::to_string(p.rotate) + " /Contents " +
                      std::to_string(4 + 2 * i) + " 0 R >>");
    objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
  }
  std::string pdf = "%PDF-1.4\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (const std::size_t offset : offsets) {
    char line[24];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
    pdf += line;
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  std::ofstream(path, std::ios::binary) << pdf;
  return path;
}

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class QueueMergeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    a = writePdf(tree.folder("A") + "/A.pdf", {{842, 595, 0}, {595, 842, 90}});
    b = writePdf(tree.folder("B") + "/B.pdf", {{1191, 842, -270}});
    destination = tree / "All drawings.pdf";
  }

  FileTree tree;
  std::string a, b, destination;
};

TEST_F(QueueMergeTest, PagesFollowInOrderUprightAtTheirSizes) {
  std::vector<std::pair<unsigned long, unsigned long>> steps;
  std::string error = "left over";
  ASSERT_TRUE(QDLQueueMergePdfs({a, b}, {2, 1}, destination, &error, nullptr,
                                [&](unsigned long done, unsigned long total) { steps.emplace_back(done, total); }))
      << error;
  EXPECT_EQ(error, "");
  EXPECT_EQ(steps, (std::vector<std::pair<unsigned long, unsigned long>>{{1, 3}, {2, 3}, {3, 3}}));
  const auto merged = graphics::PdfDocument::open(destination);
  ASSERT_TRUE(merged);
  ASSERT_EQ(merged->pageCount(), 3u);
  const std::pair<double, double> expected[] = {{842, 595}, {842, 595}, {842, 1191}};
  for (std::size_t i = 0; i < 3; ++i) {
    const graphics::PdfPage page = *merged->page(i + 1);
    const graphics::PdfRect box = page.boxRect(graphics::PdfBox::media);
    EXPECT_NEAR(box.width, expected[i].first, 0.01) << i;
    EXPECT_NEAR(box.height, expected[i].second, 0.01) << i;
    EXPECT_EQ(((page.rotationAngle() % 360) + 360) % 360, 0) << i;
  }
  EXPECT_EQ(folderEntries(tree.root()), (std::vector<std::string>{"A", "All drawings.pdf", "B"}));
}

TEST_F(QueueMergeTest, NothingIsWrittenWhenAnInputOrTheDestinationIsWrong) {
  struct Case {
    const char* what;
    std::vector<std::string> inputs;
    std::vector<long> counts;
    std::string error;
  };
  const Case cases[] = {
      {"no inputs", {}, {}, "Invalid merge inputs"},
      {"lists of two lengths", {a, b}, {2}, "Invalid merge inputs"},
      {"a page count that changed", {a, b}, {2, 2}, "B.pdf"},
      {"a missing input", {a, tree / "gone.pdf"}, {2, 1}, "gone.pdf"},
      {"no pages expected", {a, b}, {2, 0}, "B.pdf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error;
    EXPECT_FALSE(QDLQueueMergePdfs(c.inputs, c.counts, destination, &error, nullptr, nullptr));
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_EQ(folderEntries(tree.root()), (std::vector<std::string>{"A", "B"}));
  }
  const std::string old = writePdf(destination, {{100, 100, 0}});
  std::string error;
  EXPECT_FALSE(QDLQueueMergePdfs({a, b}, {2, 1}, destination, &error, nullptr, nullptr));
  EXPECT_EQ(error, "Merge destination already exists");
  EXPECT_EQ(graphics::PdfDocument::open(old)->pageCount(), 1u);
}

TEST_F(QueueMergeTest, AStopLeavesNoWorkFileAndNoResult) {
  for (int stopAt : {1, 3, 5, 6}) {
    SCOPED_TRACE(stopAt);
    int asked = 0;
    std::string error;
    EXPECT_FALSE(QDLQueueMergePdfs(
        {a, b}, {2, 1}, destination, &error, [&] { return ++asked >= stopAt; }, nullptr));
    EXPECT_EQ(error, "Merge cancelled");
    EXPECT_EQ(folderEntries(tree.root()), (std::vector<std::string>{"A", "B"}));
  }
}

}  // namespace
