// File names of a split job's pages and free paths beside existing files: what the template makes, what the
// file system takes, and what is never overwritten without being asked.

#include "plot/output_naming.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "foundation/files.h"
#include "foundation/text.h"
#include "foundation/uuid.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;

VexBatchPrintPageSpec pageNamed(std::wstring name, VexBatchPrintSource source = VexBatchPrintSourceLayout,
                                std::uint64_t outputIndex = 0) {
  VexBatchPrintPageSpec page;
  page.name = std::move(name);
  page.source = source;
  page.outputIndex = outputIndex;
  return page;
}

std::size_t utf8Bytes(const std::wstring& text) { return foundation::utf8FromWideLossy(text).size(); }

void touch(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  std::fclose(file);
}

std::wstring wide(const std::string& text) { return foundation::wideFromUtf8Lossy(text); }

TEST(NameTemplate, TokensTheirOrderAndTheIndex) {
  struct Case {
    const wchar_t* nameTemplate;
    VexBatchPrintPageSpec page;
    unsigned long runningIndex;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"", pageNamed(L"A-101", VexBatchPrintSourceLayout, 7), 1, L"007-A-101"},
      {L"{index}_{source}_{page}", pageNamed(L"Plan: 1/2", VexBatchPrintSourceModel), 12, L"012_Model_Plan_ 1_2"},
      {L"{序号}_{来源}_{页面}", pageNamed(L"首层平面", VexBatchPrintSourceLayout, 3), 9, L"003_布局_首层平面"},
      {L"{来源}-{source}", pageNamed(L"x", VexBatchPrintSourceModel), 1, L"模型图框-Model"},
      {L"{index}{index}", pageNamed(L"x", VexBatchPrintSourceLayout, 1000), 1, L"10001000"},
      // A token in the sheet's name that comes later in the order is replaced too; an earlier one stays.
      {L"{页面}", pageNamed(L"{source}-{序号}"), 4, L"Layout-{序号}"},
      {L"{date}-{index}", pageNamed(L"x"), 2, L"{date}-002"},
      // The result is a safe name.
      {L"{page}", pageNamed(L"../../etc/passwd"), 1, L"___.._etc_passwd"},
      {L"{page}", pageNamed(L" . "), 1, L"Layout"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(foundation::utf8FromWideLossy(c.nameTemplate) + " / " + foundation::utf8FromWideLossy(c.page.name));
    EXPECT_EQ(vexBatchApplyNameTemplate(c.nameTemplate, c.page, c.runningIndex), c.expected);
  }
}

TEST(NameTemplate, IndexTextHasAtLeastThreeDigits) {
  EXPECT_EQ(vexBatchFormatIndex(0), L"000");
  EXPECT_EQ(vexBatchFormatIndex(1), L"001");
  EXPECT_EQ(vexBatchFormatIndex(12), L"012");
  EXPECT_EQ(vexBatchFormatIndex(123), L"123");
  EXPECT_EQ(vexBatchFormatIndex(1000), L"1000");
  EXPECT_EQ(vexBatchFormatIndex(18446744073709551615ul), L"18446744073709551615");
}

TEST(NameTemplate, ReplaceAllGoesOnBehindWhatItInserted) {
  std::wstring text = L"a-{x}-{x}";
  vexBatchReplaceAll(text, L"{x}", L"{x}{x}");
  EXPECT_EQ(text, L"a-{x}{x}-{x}{x}");
  vexBatchReplaceAll(text, L"", L"never");
  EXPECT_EQ(text, L"a-{x}{x}-{x}{x}");
  vexBatchReplaceAll(text, L"{x}", L"");
  EXPECT_EQ(text, L"a--");
}

TEST(SafeFileName, HostileCharactersDotsAndEmptyNames) {
  const std::wstring withNul(L"a\0b", 3);
  const std::wstring notACharacter{L'x', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000)};
  struct Case {
    std::wstring name;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"a/b\\c:d*e?f\"g<h>i|j", L"a_b_c_d_e_f_g_h_i_j"},
      {L"图框 01（首层）", L"图框 01（首层）"},
      {L"Plan. . ", L"Plan"},
      {L"  leading spaces stay", L"  leading spaces stay"},
      {L"", L"Layout"},
      {L". . ..", L"Layout"},
      {L".hidden", L"_hidden"},
      {L"..a.b.", L"__a.b"},
      {L". a", L"_ a"},
      {withNul, L"a_b"},
      {L"tab\there\nline\x7f", L"tab_here_line_"},
      {notACharacter, L"x__"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(foundation::utf8FromWideLossy(c.name));
    EXPECT_EQ(vexBatchSafeFileName(c.name), c.expected);
  }
}

TEST(SafeFileName, LongNamesLeaveRoomForTheExtensionAndAFreePathSuffix) {
  const std::size_t room = kVexBatchFileNameMaxBytes - std::string("-E621E1F8-C36C-495A-93FC-0C247A3E6E5F.pdf").size();
  const std::wstring cases[] = {std::wstring(1000, L'a'), std::wstring(300, L'图'), std::wstring(100, L'😀'),
                                std::wstring(213, L'a') + std::wstring(40, L' ') + L"tail"};
  for (const std::wstring& name : cases) {
    const std::wstring safe = vexBatchSafeFileName(name);
    SCOPED_TRACE(foundation::utf8FromWideLossy(safe));
    EXPECT_LE(utf8Bytes(safe), room);
    EXPECT_GT(utf8Bytes(safe), room - 4);  // cut at a whole character, not earlier
    EXPECT_EQ(name.compare(0, safe.size(), safe), 0);
  }
  // A cut that ends in spaces drops them like any name's end.
  EXPECT_EQ(vexBatchSafeFileName(std::wstring(213, L'a') + std::wstring(40, L' ') + L"tail"), std::wstring(213, L'a'));
}

TEST(SafeFileName, AVeryLongSheetNameStillGivesFilesThatCanBeWritten) {
  TempFolder folder("quodl-naming");
  const std::wstring name = vexBatchApplyNameTemplate(L"", pageNamed(std::wstring(200, L'图') + L"/?"), 1);
  const std::wstring first = wide(folder.path()) + L"/" + name + L".pdf";
  touch(foundation::utf8FromWideLossy(first));
  const std::wstring second = vexBatchUniqueOutputPath(first, false);
  EXPECT_EQ(second, wide(folder.path()) + L"/" + name + L"-2.pdf");
  touch(foundation::utf8FromWideLossy(second));
  EXPECT_TRUE(foundation::isRegularFile(foundation::utf8FromWideLossy(second)));
}

TEST(PdfExtension, EndsInPdfWhateverTheCase) {
  EXPECT_EQ(vexBatchEnsurePdfExtension(L"x.Pdf"), L"x.Pdf");
  EXPECT_EQ(vexBatchEnsurePdfExtension(L"A.PDF"), L"A.PDF");
  EXPECT_EQ(vexBatchEnsurePdfExtension(L"x.pd"), L"x.pd.pdf");
  EXPECT_EQ(vexBatchEnsurePdfExtension(L"pdf"), L"pdf.pdf");
  EXPECT_EQ(vexBatchEnsurePdfExtension(L".pdf"), L".pdf");
  EXPECT_EQ(vexBatchEnsurePdfExtension(L"/out/Sheets"), L"/out/Sheets.pdf");
  EXPECT_EQ(vexBatchEnsurePdfExtension(L"/out/图纸.ｐｄｆ"), L"/out/图纸.ｐｄｆ.pdf");
  EXPECT_EQ(vexBatchEnsurePdfExtension(L""), L".pdf");
}

class FreePath : public ::testing::Test {
 protected:
  void TearDown() override { foundation::setUuidGeneratorForTesting({}); }
  std::wstring at(const std::string& name) const { return wide(folder_ / name); }
  TempFolder folder_{"quodl-naming"};
};

TEST_F(FreePath, NumbersTheNameUntilNothingStandsThere) {
  EXPECT_EQ(vexBatchUniqueOutputPath(at("Plan.pdf"), false), at("Plan.pdf"));
  touch(folder_ / "Plan.pdf");
  touch(folder_ / "Plan-2.pdf");
  EXPECT_EQ(vexBatchUniqueOutputPath(at("Plan.pdf"), false), at("Plan-3.pdf"));
  EXPECT_EQ(vexBatchUniqueOutputPath(at("Plan.pdf"), true), at("Plan.pdf"));
  // Folders and links take a name too, even a link that points nowhere.
  fs::create_directory(folder_ / "Sheets");
  EXPECT_EQ(vexBatchUniqueOutputPath(at("Sheets"), false), at("Sheets-2"));
  fs::create_symlink(folder_ / "nowhere", folder_ / "Link.pdf");
  EXPECT_EQ(vexBatchUniqueOutputPath(at("Link.pdf"), false), at("Link-2.pdf"));
  // Only the last extension is kept apart.
  touch(folder_ / "a.b.PDF");
  EXPECT_EQ(vexBatchUniqueOutputPath(at("a.b.PDF"), false), at("a.b-2.PDF"));
}

TEST_F(FreePath, AfterAllNumbersAUuid) {
  touch(folder_ / "Plan.pdf");
  for (int n = 2; n <= 9999; ++n) touch(folder_ / ("Plan-" + std::to_string(n) + ".pdf"));
  foundation::setUuidGeneratorForTesting([] { return std::string("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"); });
  EXPECT_EQ(vexBatchUniqueOutputPath(at("Plan.pdf"), false), at("Plan-E621E1F8-C36C-495A-93FC-0C247A3E6E5F.pdf"));
}

TEST_F(FreePath, ANameThatFillsTheFileSystemsLimitIsShortenedToTakeItsNumber) {
  const std::string name = std::string(kVexBatchFileNameMaxBytes - 7, 'x') + "图.pdf";
  ASSERT_EQ(name.size(), kVexBatchFileNameMaxBytes);
  touch(folder_ / name);
  const std::wstring free = vexBatchUniqueOutputPath(at(name), false);
  const std::string freeName = fs::path(foundation::utf8FromWideLossy(free)).filename().string();
  EXPECT_LE(freeName.size(), kVexBatchFileNameMaxBytes);
  // The cut falls inside 图, so the whole character goes.
  EXPECT_EQ(freeName, std::string(kVexBatchFileNameMaxBytes - 7, 'x') + "-2.pdf");
  touch(foundation::utf8FromWideLossy(free));
}

}  // namespace
