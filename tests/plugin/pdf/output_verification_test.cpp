// The last check of a finished PDF: only a complete PDF of the expected pages passes, damaged, truncated and
// foreign files fail with their reason and stay as they were, and a hidden output is made visible.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>
#include <vector>

#include "foundation/file_faults.h"
#include "foundation/files.h"
#include "pdf/output_verification.h"
#include "plotted_pdf.h"

namespace {

using pdftest::fileBytes;
using pdftest::writeBytes;

class VerificationTest : public pdftest::PlottedPdfTest {
 protected:
  void SetUp() override {
    PlottedPdfTest::SetUp();
    ASSERT_TRUE(plot({pdftest::windowSheet(L"ISO_A3_(420.00_x_297.00_MM)", 420, 297),
                      pdftest::layoutSheet(L"ISO_full_bleed_A4_(210.00_x_297.00_MM)")},
                     path("two.pdf")));
    twoPages_ = fileBytes(path("two.pdf"));
  }
  void TearDown() override {
    foundation::clearFileFaults();
    PlottedPdfTest::TearDown();
  }

  // Hides the file; false where the file system keeps no hidden flag (the test then has nothing to show).
  bool hide(const std::string& file) { return static_cast<bool>(foundation::setHiddenFlag(file, true)); }
  bool hidden(const std::string& file) {
    const foundation::HiddenResult flag = foundation::hiddenFlag(file);
    return flag.ok && flag.hidden;
  }

  std::string twoPages_;
};

TEST_F(VerificationTest, ACompletePdfOfTheExpectedPagesPasses) {
  std::string error = "left from before";
  EXPECT_TRUE(quodl::finalizePdfOutput(path("two.pdf"), 2, &error));
  EXPECT_EQ(error, "");
  EXPECT_TRUE(quodl::finalizePdfOutput(path("two.pdf"), 2));
}

TEST_F(VerificationTest, AnythingButACompletePdfOfTheExpectedPagesFailsWithItsReasonAndStaysAsItWas) {
  ASSERT_TRUE(
      plot({pdftest::layoutSheet(L"ISO_A4_(210.00_x_297.00_MM)"), pdftest::layoutSheet(L"ISO_A4_(210.00_x_297.00_MM)"),
            pdftest::layoutSheet(L"ISO_A4_(210.00_x_297.00_MM)")},
           path("three.pdf")));
  const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(64, '\0');
  writeBytes(path("empty.pdf"), "");
  writeBytes(path("truncated.pdf"), twoPages_.substr(0, twoPages_.size() / 2));
  writeBytes(path("no-end.pdf"), twoPages_.substr(0, twoPages_.size() - 40));
  // Every offset of the cross-reference table now points a few bytes short of its object.
  writeBytes(path("shifted.pdf"),
             twoPages_.substr(0, 9) + "% a comment the table does not know\n" + twoPages_.substr(9));
  writeBytes(path("picture.pdf"), png);
  writeBytes(path("drawing.pdf"), "0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n");
  writeBytes(path("header-only.pdf"), "%PDF-1.7\n%%EOF\n");
  writeBytes(path(".dotted.pdf"), twoPages_);
  ASSERT_TRUE(foundation::createDirectory(path("folder.pdf"), false));

  struct Case {
    std::string file;
    std::uint64_t pages;
    std::string reason;
  };
  const Case cases[] = {
      {"", 2, "Invalid PDF output or expected page count"},
      {path("two.pdf"), 0, "Invalid PDF output or expected page count"},
      {path("absent.pdf"), 2, "PDF output is missing or empty"},
      {path("empty.pdf"), 2, "PDF output is missing or empty"},
      {path("folder.pdf"), 2, "PDF output is missing or empty"},
      {path("truncated.pdf"), 2, "Cannot reopen completed PDF"},
      {path("no-end.pdf"), 2, "Cannot reopen completed PDF"},
      {path("shifted.pdf"), 2, "Cannot reopen completed PDF"},
      {path("picture.pdf"), 2, "Cannot reopen completed PDF"},
      {path("drawing.pdf"), 2, "Cannot reopen completed PDF"},
      {path("header-only.pdf"), 1, "Cannot reopen completed PDF"},
      {path("three.pdf"), 2, "Completed PDF page count does not match the task"},
      {path("two.pdf"), 3, "Completed PDF page count does not match the task"},
      {path(".dotted.pdf"), 2, "PDF filename starts with a dot and is hidden in Finder"},
  };
  const std::vector<std::string> before = entries();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string bytes = fileBytes(c.file);
    std::string error;
    EXPECT_FALSE(quodl::finalizePdfOutput(c.file, c.pages, &error));
    EXPECT_EQ(error, c.reason + ": " + c.file);
    EXPECT_EQ(fileBytes(c.file), bytes);
  }
  EXPECT_EQ(entries(), before);
  EXPECT_TRUE(foundation::isRegularFile(path(".dotted.pdf")));
}

TEST_F(VerificationTest, AHiddenOutputPassesAndIsLeftVisible) {
  if (!hide(path("two.pdf"))) GTEST_SKIP() << "the file system keeps no hidden flag";
  ASSERT_TRUE(hidden(path("two.pdf")));
  std::string error;
  EXPECT_TRUE(quodl::finalizePdfOutput(path("two.pdf"), 2, &error)) << error;
  EXPECT_FALSE(hidden(path("two.pdf")));
  EXPECT_EQ(fileBytes(path("two.pdf")), twoPages_);
}

TEST_F(VerificationTest, AHiddenFlagThatCannotBeReadOrClearedFailsWithTheReason) {
  if (!hide(path("two.pdf"))) GTEST_SKIP() << "the file system keeps no hidden flag";
  const std::string file = path("two.pdf");
  struct Case {
    int skip;  // hidden-flag calls let through before one fails
    std::string error;
  };
  const Case cases[] = {
      {0, foundation::errorText(EIO) + ": " + file},                 // reading the flag
      {1, "Cannot clear PDF hidden flag: " + file},                  // clearing it
      {2, "Completed PDF is still hidden or unavailable: " + file},  // reading it again
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.skip);
    ASSERT_TRUE(hide(file));
    foundation::failNextFileOperation(foundation::FileOperation::xattr, EIO, 1, c.skip);
    std::string error;
    EXPECT_FALSE(quodl::finalizePdfOutput(file, 2, &error));
    EXPECT_EQ(error, c.error);
    foundation::clearFileFaults();
  }
  EXPECT_EQ(fileBytes(file), twoPages_);
}

TEST_F(VerificationTest, AListIsCheckedWholeAgainstItsCountsAndReportsTheFirstFailure) {
  const std::string first = path("first.pdf"), second = path("second.pdf");
  writeBytes(first, twoPages_.substr(0, 100));
  writeBytes(second, twoPages_);
  if (!hide(first) || !hide(second)) GTEST_SKIP() << "the file system keeps no hidden flag";

  std::string error;
  // Lists that do not match touch nothing.
  EXPECT_FALSE(quodl::finalizePdfOutputs({first, second}, {2}, &error));
  EXPECT_EQ(error, "PDF output list does not match the task");
  EXPECT_FALSE(quodl::finalizePdfOutputs({}, {}, &error));
  EXPECT_EQ(error, "PDF output list does not match the task");
  EXPECT_TRUE(hidden(second));

  // The first fails; the second is still checked and made visible.
  EXPECT_FALSE(quodl::finalizePdfOutputs({first, second, path("absent.pdf")}, {2, 2, 1}, &error));
  EXPECT_EQ(error, "Cannot reopen completed PDF: " + first);
  EXPECT_FALSE(hidden(second));
  EXPECT_TRUE(hidden(first));

  EXPECT_TRUE(quodl::finalizePdfOutputs({second, path("two.pdf")}, {2, 2}, &error));
  EXPECT_EQ(error, "");
}

}  // namespace
