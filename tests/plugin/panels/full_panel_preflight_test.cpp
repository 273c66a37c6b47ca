// The preflight of the full panel, each finding produced for real where this machine allows it: a folder that
// is missing, a file in its place, too little free space on a small file system mounted for the test, a
// drawing that needs the other kind of plot style, a style gone from the disk, missing fonts and no PDF
// device. Only "not writable" goes through the seam, as the tests run as root.

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>

#include "cad/database.h"
#include "cad/plot/plot_settings.h"
#include "cad/plot/plot_settings_validator.h"
#include "cad/plot/font_search.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/tables.h"
#include "foundation/file_faults.h"
#include "full_panel_output_fixture.h"
#include "panels/preflight_file_system.h"
#include "toolkit/alert.h"
#include "toolkit/beep.h"
#include "toolkit/user_actions.h"

namespace panels_test {
namespace {

class FullPanelPreflightTest : public FullPanelOutputTest {
 protected:
  void SetUp() override {
    FullPanelOutputTest::SetUp();
    cad::setFontFolders({});
  }
  void TearDown() override {
    setPreflightWritableTestForTesting({});
    foundation::clearFileFaults();
    FullPanelOutputTest::TearDown();
  }

  // The panel on the layouts sample, every layout ticked, writing merged output to `path`.
  VexBatchPrintPanelController& ready(const std::string& path) {
    open(kLayoutsSample);
    VexBatchPrintPanelController& p = shown();
    choose(*p.layoutScope(), 1);
    useCustomPath(path);
    return p;
  }

  // The alert's lines of the last run with the alert.
  static std::string alertText() {
    const auto& alerts = toolkit::ModalResponder::shared().alerts();
    return alerts.empty() ? std::string() : alerts.back().messageText + "\n" + alerts.back().informativeText;
  }

  static void addTextStyle(const std::wstring& name, const std::wstring& font) {
    cad::Database& db = *cad::docManager().curDocument()->database();
    auto record = std::make_unique<cad::TextStyleTableRecord>();
    record->name = name;
    record->fileName = font;
    auto& table = dynamic_cast<cad::TextStyleTable&>(*db.objectAt(db.textStyleTableId()));
    const cad::ObjectId id = db.addObject(std::move(record), table.objectId());
    table.recordIds.push_back(id);
  }
};

TEST_F(FullPanelPreflightTest, NothingTickedOrNoPathStopsAtOnceWithoutAnAlert) {
  VexBatchPrintPanelController& p = ready(out() + "/job.pdf");
  p.selectNone();
  long beeps = toolkit::beepCount();
  ASSERT_EQ(toolkit::clickView(*p.preflightButton()), "");
  EXPECT_EQ(p.statusLabel()->stringValue(), "预检失败：请至少选择一个页面。");
  EXPECT_EQ(toolkit::beepCount(), beeps + 1);
  p.selectAll();
  p.outputPath()->setStringValue("");
  beeps = toolkit::beepCount();
  EXPECT_FALSE(p.runPreflightShowingDialog(true));
  EXPECT_EQ(p.statusLabel()->stringValue(), "预检失败：请选择输出位置。");
  EXPECT_EQ(toolkit::beepCount(), beeps + 1);
  EXPECT_TRUE(toolkit::ModalResponder::shared().alerts().empty());
}

TEST_F(FullPanelPreflightTest, AReadyJobPassesAndTheAlertListsWhatWasChecked) {
  // The folder of the PDF does not exist yet: the nearest folder above it is checked.
  VexBatchPrintPanelController& p = ready(out() + "/not/yet/job.pdf");
  ASSERT_EQ(toolkit::clickView(*p.preflightButton()), "");
  EXPECT_EQ(p.statusLabel()->stringValue(), "预检通过：3 页，PDF 设备、打印样式、字体、目录和磁盘空间正常。");
  const auto& alert = toolkit::ModalResponder::shared().alerts().back();
  EXPECT_EQ(alert.messageText, "任务预检完成");
  EXPECT_EQ(alert.style, static_cast<int>(toolkit::AlertStyle::informational));
  EXPECT_EQ(alert.buttonTitles, std::vector<std::string>{"确定"});
  const std::string lines = alert.informativeText;
  EXPECT_TRUE(lines.starts_with("页面：3 页，合并 PDF，纸张 A3、A4\n打印样式：按布局设置\nPDF 设备：可用\n输出目录：可写，剩余 "))
      << lines;
  EXPECT_TRUE(lines.ends_with(" GB\n图纸字体：已找到全部 SHX/TTF 依赖\nDWG 不会被修改或保存。")) << lines;
  EXPECT_FALSE(foundation::fileExists(out() + "/not"));
}

TEST_F(FullPanelPreflightTest, EachFindingAboutTheFolderIsMadeForReal) {
  ASSERT_TRUE(foundation::writeFileAtomically(out() + "/file", "x"));
  VexBatchPrintPanelController& p = ready(out() + "/file/job.pdf");
  EXPECT_FALSE(p.runPreflightShowingDialog(true));
  EXPECT_EQ(p.statusLabel()->stringValue(), "预检失败：1 项必须先处理，任务未提交。");
  // The checks went on past it.
  EXPECT_NE(alertText().find("任务预检未通过\n必须处理：\n• 输出位置不是文件夹。\n\n页面：3 页"), std::string::npos)
      << alertText();
  EXPECT_NE(alertText().find("图纸字体："), std::string::npos);
  EXPECT_EQ(toolkit::ModalResponder::shared().alerts().back().style, static_cast<int>(toolkit::AlertStyle::critical));

  // Per sheet, the path itself is the folder.
  choose(*p.outputMode(), 1);
  p.outputPath()->setStringValue(out() + "/file");
  EXPECT_FALSE(p.runPreflightShowingDialog(false));

  choose(*p.outputMode(), 0);
  useCustomPath(out() + "/job.pdf");
  setPreflightWritableTestForTesting([&](const std::string& folder) { return folder != out(); });
  EXPECT_FALSE(p.runPreflightShowingDialog(true));
  EXPECT_NE(alertText().find("• 输出目录不可写，请重新选择输出位置。"), std::string::npos) << alertText();
  EXPECT_EQ(alertText().find("剩余"), std::string::npos);
  setPreflightWritableTestForTesting({});

  foundation::failNextFileOperation(foundation::FileOperation::statvfs, EIO);
  EXPECT_TRUE(p.runPreflightShowingDialog(true));
  EXPECT_EQ(p.statusLabel()->stringValue(), "预检通过但有 1 项提示；可继续输出，建议先查看详情。");
  EXPECT_NE(alertText().find("提示：\n• 未能读取输出磁盘剩余空间。\n\n页面："), std::string::npos) << alertText();
}

TEST_F(FullPanelPreflightTest, TooLittleFreeSpaceOnASmallFileSystemIsAWarning) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
  const std::string small = out() + "/small";
  ASSERT_TRUE(foundation::createDirectory(small, false));
  if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=4m") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here: " << foundation::errorText(errno);
  }
  VexBatchPrintPanelController& p = ready(small + "/job.pdf");
  EXPECT_TRUE(p.runPreflightShowingDialog(true));
  EXPECT_EQ(p.statusLabel()->stringValue(), "预检通过但有 1 项提示；可继续输出，建议先查看详情。");
  EXPECT_NE(alertText().find("• 输出磁盘剩余约 4 MB，建议先释放空间。"), std::string::npos) << alertText();
  ::umount2(small.c_str(), MNT_DETACH);
}

TEST_F(FullPanelPreflightTest, AStyleOfTheOtherKindOrGoneFromTheDiskMustBeFixed) {
  VexBatchPrintPanelController& p = ready(out() + "/job.pdf");
  ASSERT_TRUE(p.plotStyleMode()->selectItemWithRepresentedObject("monochrome.ctb"));
  // The table is removed after it was chosen, and the host reads its folder again.
  ASSERT_TRUE(foundation::removeFile(styles_ + "/monochrome.ctb"));
  cad::PlotSettings settings;
  ASSERT_EQ(cad::acdbHostApplicationServices()->plotSettingsValidator()->refreshLists(&settings), cad::eOk);
  EXPECT_FALSE(p.runPreflightShowingDialog(true));
  EXPECT_NE(alertText().find("• 找不到打印样式 monochrome.ctb。"), std::string::npos) << alertText();
  EXPECT_NE(alertText().find("打印样式：monochrome.ctb"), std::string::npos);

  // A drawing with named plot styles needs a .stb table: only the mismatch is reported.
  ASSERT_TRUE(p.plotStyleMode()->selectItemWithRepresentedObject("acad.ctb"));
  cad::docManager().curDocument()->database()->headerVariables[L"$PSTYLEMODE"] = L"0";
  EXPECT_FALSE(p.runPreflightShowingDialog(true));
  EXPECT_EQ(p.statusLabel()->stringValue(), "预检失败：1 项必须先处理，任务未提交。");
  EXPECT_NE(alertText().find("• 打印样式 acad.ctb 与当前图纸的 .STB 类型不一致。"), std::string::npos) << alertText();
}

TEST_F(FullPanelPreflightTest, MissingFontsAndAMissingPdfDeviceAreReported) {
  VexBatchPrintPanelController& p = ready(out() + "/job.pdf");
  addTextStyle(L"Notes", L"lost.shx");
  EXPECT_TRUE(p.runPreflightShowingDialog(true));
  EXPECT_NE(alertText().find("提示：\n• 文字样式缺少字体：Notes｜lost.shx\n"), std::string::npos) << alertText();

  // The font the dimensions need is a required finding, whatever its letter case.
  addTextStyle(L"Dims", L"AllInOneBig.SHX");
  cad::PlotConfigManager& devices = *cad::acplPlotConfigManagerPtr();
  devices.removeDevice(cad::kPdfDeviceName);
  devices.setStdConfigName(10, L"");
  EXPECT_FALSE(p.runPreflightShowingDialog(true));
  EXPECT_EQ(p.statusLabel()->stringValue(), "预检失败：2 项必须先处理，任务未提交。");
  EXPECT_NE(alertText().find("必须处理：\n• 未找到可用的 AutoCAD PDF 打印设备。\n"
                             "• 文字样式缺少字体：Dims｜AllInOneBig.SHX；这会导致尺寸数字漏印，请重新运行安装包。\n"),
            std::string::npos)
      << alertText();
  // Staging runs the same checks without the alert and stages nothing.
  const std::size_t alerts = toolkit::ModalResponder::shared().alerts().size();
  p.stagePrint();
  EXPECT_FALSE(gBatchPrintPendingJob.active);
  EXPECT_EQ(toolkit::ModalResponder::shared().alerts().size(), alerts);
  EXPECT_EQ(queued(), "");
}

}  // namespace
}  // namespace panels_test
