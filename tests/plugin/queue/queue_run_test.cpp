// A queue run in this process: its start and what refuses it, the advance from drawing to drawing with every
// answer the host can give, the per-drawing plot in each output mode with the PDFs it keeps and sets aside, the
// stop, the unload refused meanwhile, and the merge into one PDF with links planted in the run folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/entry_point.h"
#include "cad/app_loader.h"
#include "cad/doc_manager.h"
#include "cad/plot/publish_engine.h"
#include "cad/plot_state.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "plot/print_jobs.h"
#include "queue/file_queue_commands.h"
#include "queue/file_queue_panel.h"
#include "queue/file_queue_state.h"
#include "queue/queue_documents.h"
#include "queue/queue_run.h"
#include "queue_run_fixture.h"
#include "recognition/recognition_state.h"
#include "toolkit/alert.h"
#include "toolkit/modal_responder.h"
#include "toolkit/scroll_view.h"
#include "toolkit/text_field.h"
#include "toolkit/workspace.h"

namespace queue_run_test {
namespace {

namespace fs = std::filesystem;
using plot_jobs_test::entries;
using plot_jobs_test::pageSizes;

// Page sizes in whole millimetres, as pdfinfo would print them.
std::vector<std::pair<long, long>> papers(const std::string& pdf) {
  std::vector<std::pair<long, long>> sizes;
  for (const plot_jobs_test::PageSize& size : pageSizes(pdf)) {
    sizes.emplace_back(std::lround(size.width), std::lround(size.height));
  }
  return sizes;
}
using Papers = std::vector<std::pair<long, long>>;
const std::pair<long, long> kA3{420, 297};
const std::pair<long, long> kA4{210, 297};
const std::pair<long, long> kA4Across{297, 210};

std::wstring wide(const std::string& text) { return foundation::wideFromUtf8Lossy(text); }

std::string stateOf(const QDLQueueItem& row) { return row.state; }

TEST(QueueFolderNamesTest, EachDrawingGetsItsOwnNameIgnoringCaseAndCompositionAndNoneNamesAFolderOfTheRun) {
  struct Case {
    std::vector<std::string> paths;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {{"/x/A.dwg", "/x/a.DWG", "/y/A.dwg"}, {"A", "a (2)", "A (3)"}},
      {{"/x/Plan.dwg", "/y/plan.dwg"}, {"Plan", "plan (2)"}},
      {{"/x/平面图 01.dwg", "/y/平面图 01.DWG"}, {"平面图 01", "平面图 01 (2)"}},
      {{"/x/caf\u00e9.dwg", "/y/cafe\u0301.dwg"}, {"caf\u00e9", "cafe\u0301 (2)"}},
      // A name that starts with a dot has no extension; "." and ".." would be the run folder and its parent.
      {{"/x/.dwg", "/x/..dwg", "/x/...dwg", "/x/Drawing.dwg"}, {".dwg", "Drawing", "Drawing (2)", "Drawing (3)"}},
      // The folder of unverified PDFs is the run's own.
      {{"/x/Unverified-PDF.dwg", "/y/unverified-pdf.dwg"}, {"Unverified-PDF (2)", "unverified-pdf (3)"}},
  };
  for (const Case& c : cases) EXPECT_EQ(QDLQueueFolderNames(c.paths), c.names) << c.paths.front();
}

TEST_F(QueueRunTest, AStartThatCannotGoAheadSaysWhyAndChangesNoRow) {
  const std::string a3 = copyDrawing("A3.dwg", "drawings/A3.dwg");
  QDLFileQueuePanel& panel = queue({a3}, 1);
  const std::string before = status();
  struct Case {
    const char* name;
    std::function<void()> arrange;
    std::string status;  // empty: the status stays as it was
    std::function<void()> undo;
  };
  const std::string blocker = path("blocker");
  ASSERT_TRUE(foundation::writeFileAtomically(blocker, "a file where the folder would go"));
  const Case cases[] = {
      {"scale with a percent sign", [&] { panel.scaleField()->setStringValue("50%"); }, "缩放比例请输入 1–100 的整数。",
       [&] { panel.scaleField()->setStringValue("100"); }},
      {"scale 0", [&] { panel.scaleField()->setStringValue("0"); }, "缩放比例请输入 1–100 的整数。",
       [&] { panel.scaleField()->setStringValue("100"); }},
      {"scale 101", [&] { panel.scaleField()->setStringValue("101"); }, "缩放比例请输入 1–100 的整数。",
       [&] { panel.scaleField()->setStringValue("100"); }},
      {"scale 7.5", [&] { panel.scaleField()->setStringValue("7.5"); }, "缩放比例请输入 1–100 的整数。",
       [&] { panel.scaleField()->setStringValue("100"); }},
      {"no scale", [&] { panel.scaleField()->setStringValue(""); }, "缩放比例请输入 1–100 的整数。",
       [&] { panel.scaleField()->setStringValue("100"); }},
      {"a job of the full panel unfinished", [] { gBatchPrintPendingJob.active = true; },
       "请先完成当前未完成打印任务，再开始文件队列。", [] { gBatchPrintPendingJob.active = false; }},
      {"the host plotting", [] { cad::setProcessPlotState(true); }, "", [] { cad::setProcessPlotState(false); }},
      {"a compact export running", [] { gBatchLitePrinting = true; }, "", [] { gBatchLitePrinting = false; }},
      {"no output folder", [&] { panel.setOutputRoot(""); }, "", [&] { panel.setOutputRoot(path("out")); }},
      {"an output folder that cannot be made", [&] { panel.setOutputRoot(blocker + "/out"); }, "Cannot create",
       [&] { panel.setOutputRoot(path("out")); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    panel.setStatus(before);
    c.arrange();
    vexBatchPrintFilesStart();
    EXPECT_FALSE(gBatchFileQueueRunning);
    EXPECT_FALSE(panel.running());
    if (c.status.empty()) EXPECT_EQ(status(), before);
    else EXPECT_NE(status().find(c.status), std::string::npos) << status();
    EXPECT_EQ(row(0).state, "待处理");
    EXPECT_EQ(row(0).message, a3);
    EXPECT_TRUE(entries(path("out")).empty());
    c.undo();
  }
  EXPECT_TRUE(toolkit::ModalResponder::shared().alerts().empty());
  EXPECT_EQ(cad::docManager().beginExecuteCalls, 0);

  // The drawing open in the host is listed, alone, and nothing is closed.
  const cad::DocManager::OpenResult opened = cad::docManager().open(a3, false);
  ASSERT_NE(opened.document, nullptr);
  std::string listed;
  toolkit::ModalResponder::shared().answerNextAlert([&listed](toolkit::Alert& alert) {
    auto* scroll = dynamic_cast<toolkit::ScrollView*>(alert.accessoryView().get());
    auto* text = scroll != nullptr ? dynamic_cast<toolkit::TextField*>(scroll->documentView().get()) : nullptr;
    if (text != nullptr) listed = text->stringValue();
    return toolkit::kAlertFirstButtonReturn;
  });
  vexBatchPrintFilesStart();
  ASSERT_EQ(toolkit::ModalResponder::shared().alerts().size(), 1u);
  const toolkit::AlertRecord& alert = toolkit::ModalResponder::shared().alerts().front();
  EXPECT_EQ(alert.messageText, "请先关闭已打开的图纸");
  EXPECT_EQ(alert.buttonTitles, std::vector<std::string>{"返回列表"});
  EXPECT_EQ(listed, a3);
  EXPECT_TRUE(cad::docManager().isOpen(opened.document));
  EXPECT_FALSE(gBatchFileQueueRunning);
  EXPECT_EQ(row(0).state, "待处理");

  // A scale with blanks around it is a whole number all the same.
  ASSERT_EQ(cad::docManager().closeDocument(opened.document), cad::eOk);
  panel.scaleField()->setStringValue(" 50 ");
  vexBatchPrintFilesStart();
  EXPECT_EQ(gFileRun.scalePercent, 50);
  settle();
  EXPECT_EQ(row(0).state, "完成");
}

TEST_F(QueueRunTest, EachDrawingIsOpenedReadOnlyPlottedInItsSheetOrderAndClosedAndTheUsersDrawingComesBack) {
  // The user's own recognition choices stay as they were: the run recognises on its own.
  gBatchFrameRecognitionMode = 2;
  gBatchDesignatedFrameLayer = L"TK";
  gBatchDesignatedFrameBlock = L"TITLE";
  const std::string order = drawing("order.dwg");
  const std::string empty = drawing("no frames.dwg");
  queue({order, empty}, 0, 2);
  start();

  EXPECT_FALSE(gBatchFileQueueRunning);
  EXPECT_FALSE(gBatchFilePanel->running());
  const std::string folder = runFolder() + "/order";
  EXPECT_EQ(entries(runFolder()), (std::vector<std::string>{"order"})) << "no folder for a drawing without sheets";
  // By name: Sheet 1, Sheet 2, Sheet 10.
  EXPECT_EQ(entries(folder), (std::vector<std::string>{"0001.pdf", "0002.pdf", "0003.pdf"}));
  EXPECT_EQ(papers(folder + "/0001.pdf"), Papers{kA4Across});
  EXPECT_EQ(papers(folder + "/0002.pdf"), Papers{kA4});
  EXPECT_EQ(papers(folder + "/0003.pdf"), Papers{kA3});
  EXPECT_EQ(row(0).state, "完成");
  EXPECT_EQ(row(0).message, "已输出 3 页：" + folder);
  EXPECT_EQ(row(0).outputs,
            (std::vector<std::string>{folder + "/0001.pdf", folder + "/0002.pdf", folder + "/0003.pdf"}));
  EXPECT_EQ(row(0).expectedPages, 3);
  EXPECT_EQ(row(0).completedPages, 3);
  EXPECT_EQ(row(1).state, "失败");
  EXPECT_EQ(row(1).message, "未找到匹配图框；未改用其他识别规则");
  EXPECT_EQ(row(1).expectedPages, 0);
  EXPECT_EQ(status(), "完成 1 · 部分 0 · 失败 1 · 跳过 0 · 未完成 0");
  EXPECT_EQ(gBatchFilePanel->lastOutputRoot(), runFolder());

  // Opened read-only one after the other, sent the plot command, closed; the user's drawing in front again.
  cad::DocManager& host = cad::docManager();
  ASSERT_EQ(host.openRequests.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(host.openRequests[i].fileName, wide(i == 0 ? order : empty));
    EXPECT_EQ(host.openRequests[i].initialView, 1);
    EXPECT_EQ(host.openRequests[i].flags, 6u);
    EXPECT_EQ(host.openRequests[i].result, cad::eOk);
  }
  std::vector<std::wstring> sent;
  for (const cad::DocManager::SendStringCall& call : host.sendStringCalls) {
    if (call.text.find(L"FILEEXEC") == std::wstring::npos) continue;
    sent.push_back(call.text);
    EXPECT_TRUE(call.activate);
    EXPECT_FALSE(call.wrapUpInactiveDoc);
    EXPECT_FALSE(call.echo);
  }
  EXPECT_EQ(sent, (std::vector<std::wstring>(2, L"_DUZOZAREDFILEEXEC ")));
  EXPECT_EQ(host.closeRequests.size(), 2u);
  ASSERT_EQ(host.documents().size(), 1u);
  EXPECT_EQ(host.mdiActiveDocument(), host.documents().front());
  EXPECT_EQ(host.mdiActiveDocument()->fileName(), wide(origin_));
  EXPECT_EQ(gBatchFrameRecognitionMode, 2);
  EXPECT_EQ(gBatchDesignatedFrameLayer, L"TK");
  EXPECT_EQ(gBatchDesignatedFrameBlock, L"TITLE");
  // The run folder opens once the step has returned.
  ASSERT_FALSE(toolkit::Workspace::shared().records().empty());
  EXPECT_EQ(toolkit::Workspace::shared().records().back().targets, std::vector<std::string>{runFolder()});

  // Reversed, in one PDF named after the drawing, straight in the run folder; the row keeps its page counts.
  gBatchFilePanel->pageOrder()->selectItemAtIndex(1);
  gBatchFilePanel->outputMode()->selectItemAtIndex(1);
  gBatchFilePanel->optionsChanged(nullptr);
  start();
  EXPECT_EQ(entries(runFolder()), std::vector<std::string>{"order.pdf"});
  EXPECT_EQ(papers(runFolder() + "/order.pdf"), (Papers{kA4Across, kA3, kA4}));
  EXPECT_EQ(row(0).state, "完成");
  EXPECT_EQ(row(0).completedPages, 3);
}

TEST_F(QueueRunTest, EveryAnswerOfTheHostBetweenDrawingsEndsTheFileOrTheRunAsItShould) {
  const std::string one = copyDrawing("A3.dwg", "drawings/one.dwg");
  const std::string two = copyDrawing("A3.dwg", "drawings/two.dwg");
  queue({one, two}, 1);
  struct Case {
    const char* name;
    std::function<void(cad::DocManager::Faults&)> fault;    // set once the start is on its way
    std::vector<std::pair<std::string, std::string>> rows;  // state and message
    std::string status;
    bool oneStaysOpen = false;
  };
  const auto refused = [](cad::ErrorStatus status) {
    return "只读打开失败（" + std::to_string(static_cast<int>(status)) + "）；文件可能损坏、加密或不可访问。";
  };
  const std::string closeRefused = "只读任务文档未能关闭；队列停止，请检查 CAD。";
  const std::string cannotGoOn = "无法继续队列，请停止队列；未自动关闭文档。";
  const Case cases[] = {
      {"every open refused",
       [](auto& f) { f.open = cad::eFileAccessErr; },
       {{"失败", refused(cad::eFileAccessErr)}, {"失败", refused(cad::eFileAccessErr)}},
       "完成 0 · 部分 0 · 失败 2 · 跳过 0 · 未完成 0"},
      {"opens accepted without a drawing",
       [](auto& f) { f.openAcceptedNoDocument = true; },
       {{"失败", refused(cad::eOk)}, {"失败", refused(cad::eOk)}},
       "完成 0 · 部分 0 · 失败 2 · 跳过 0 · 未完成 0"},
      {"opens refused that open all the same",
       [](auto& f) { f.openRefusedButOpened = true; },
       {{"失败", refused(cad::eNotApplicable)}, {"失败", refused(cad::eNotApplicable)}},
       "完成 0 · 部分 0 · 失败 2 · 跳过 0 · 未完成 0"},
      {"a drawing opened writable",
       [&](auto& f) { f.opensWritable = {wide(one)}; },
       {{"失败", "CAD 未以只读方式打开，任务未打印。"}, {"未执行", "队列已停止"}},
       "完成 0 · 部分 0 · 失败 1 · 跳过 0 · 未完成 1"},
      {"the plot command refused",
       [](auto& f) { f.sendString = true; },
       {{"失败", "不能进入文档打印命令"}, {"未执行", "队列已停止"}},
       "完成 0 · 部分 0 · 失败 1 · 跳过 0 · 未完成 1"},
      {"the close refused",
       [](auto& f) { f.close = true; },
       {{"完成", ""}, {"未执行", closeRefused}},
       closeRefused,
       true},
      // Nothing is open and nothing plots: the run ends at once rather than wait for a step that never comes.
      {"no step accepted",
       [](auto& f) { f.beginExecute = true; },
       {{"未执行", cannotGoOn}, {"未执行", "队列已停止"}},
       cannotGoOn},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cad::docManager().clearRecords();
    gBatchFilePanel->start();
    c.fault(cad::docManager().faults);
    settle();
    cad::docManager().faults = {};
    EXPECT_FALSE(gBatchFileQueueRunning);
    EXPECT_FALSE(gBatchFilePanel->running());
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
      EXPECT_EQ(stateOf(row(i)), c.rows[i].first) << i;
      if (c.rows[i].first == "完成") continue;
      EXPECT_EQ(row(i).message, c.rows[i].second) << i;
    }
    EXPECT_EQ(status(), c.status);
    // The run closes every drawing it opened, unless the host keeps one; the user's is in front again.
    EXPECT_EQ(vexBatchFindOpenFile(one, nullptr) != nullptr, c.oneStaysOpen);
    EXPECT_EQ(vexBatchFindOpenFile(two, nullptr), nullptr);
    for (cad::Document* doc : cad::docManager().documents()) {
      if (doc->fileName() != wide(origin_)) {
        ASSERT_EQ(cad::docManager().closeDocument(doc), cad::eOk);
      }
    }
    EXPECT_EQ(cad::docManager().mdiActiveDocument()->fileName(), wide(origin_));
  }
}

TEST_F(QueueRunTest, AStopKeepsWhatVerifiedAndLeavesTheRestNotRun) {
  const std::string five = drawing("five.dwg");
  const std::string a3 = drawing("A3.dwg");
  QDLFileQueuePanel& panel = queue({five, a3}, 0);
  struct Case {
    const char* name;
    std::function<void()> onSecondPage;
    std::string message;
    std::vector<std::string> written;
  };
  const Case cases[] = {
      // The progress window's cancel ends the plot of the sheet in hand, which leaves nothing under its name.
      {"cancelled in the progress window",
       [this] { cancelOnPage(2); },
       "已输出 1 / 5 页；用户取消了批量打印；任务已保留，可再次执行",
       {"0001.pdf"}},
      // The panel's stop lets the sheet in hand finish and stops before the next.
      {"stopped from the panel",
       [this, &panel] { onPage(2, [&panel] { panel.cancel(); }); },
       "已输出 2 / 5 页；打印停止",
       {"0001.pdf", "0002.pdf"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    restartPageCount();
    c.onSecondPage();
    start();
    EXPECT_FALSE(gBatchFileQueueRunning);
    EXPECT_EQ(row(0).state, "已取消");
    EXPECT_EQ(row(0).message, c.message);
    EXPECT_EQ(entries(runFolder() + "/five"), c.written);
    EXPECT_EQ(row(0).completedPages, static_cast<long>(c.written.size()));
    EXPECT_EQ(row(1).state, "未执行");
    EXPECT_EQ(row(1).message, "队列已停止");
    // A stop is no failure of the run: the summary counts the rows.
    EXPECT_EQ(status(), "完成 0 · 部分 0 · 失败 0 · 跳过 0 · 未完成 2");
    EXPECT_EQ(cad::docManager().documents().size(), 1u);
  }
}

TEST_F(QueueRunTest, APlotThatFailsKeepsTheSheetsBeforeItAndNothingUnverifiedUnderADeliveryName) {
  const std::string five = drawing("five.dwg");
  const std::string a3 = drawing("A3.dwg");
  queue({five, a3}, 0);
  // The third sheet of the first drawing fails; the later ones are not tried, and the run goes on.
  cad::publishEngineFaults().steps = {{cad::PublishStep::kBeginPage, 3, cad::eNotApplicable}};
  start();
  EXPECT_EQ(row(0).state, "部分完成");
  EXPECT_EQ(row(0).message.rfind("已输出 2 / 5 页；Page plotting failed", 0), 0u) << row(0).message;
  EXPECT_EQ(row(0).completedPages, 2);
  EXPECT_EQ(entries(runFolder() + "/five"), (std::vector<std::string>{"0001.pdf", "0002.pdf"}));
  EXPECT_EQ(drawnPages(), 3) << "two sheets, then the one sheet of the second drawing";
  EXPECT_EQ(row(1).state, "完成");
  EXPECT_EQ(status(), "完成 1 · 部分 1 · 失败 0 · 跳过 0 · 未完成 0");

  // The host's own PDF, kept under the output name when its paper disagrees, is set aside, visible, and named.
  cad::resetPublishEngine();
  cad::publishEngineFaults().oversizedPage = 1;
  gBatchFilePanel->items().pop_back();
  start();
  EXPECT_EQ(row(0).state, "失败");
  EXPECT_TRUE(entries(runFolder() + "/five").empty());
  const std::vector<std::string> aside = entries(runFolder() + "/Unverified-PDF");
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_EQ(aside.front().size(), 36 + std::string("-0001.pdf").size()) << aside.front();
  const std::string placed = runFolder() + "/Unverified-PDF/" + aside.front();
  EXPECT_NE(row(0).message.find("未完成或未校验的 PDF 已保留，勿用于交付：" + placed), std::string::npos)
      << row(0).message;
  EXPECT_FALSE(foundation::isHiddenItem(placed));
  EXPECT_TRUE(row(0).outputs.empty());

  // A named-style table for a colour-dependent drawing: refused before anything is plotted or made.
  cad::resetPublishEngine();
  row(0).styleOverride = "monochrome.stb";
  const std::size_t windows = progressWindows().size();
  start();
  EXPECT_EQ(row(0).state, "失败");
  EXPECT_EQ(row(0).message, "打印样式“monochrome.stb”不适用于此 DWG 或不可用，请检查 CTB/STB。");
  EXPECT_TRUE(entries(runFolder()).empty());
  EXPECT_EQ(progressWindows().size(), windows);
}

TEST_F(QueueRunTest, TheDrawingsOfARunEndInOneVerifiedPdfAndTheirOwnFilesGo) {
  const std::string a3 = drawing("A3.dwg");
  const std::string order = drawing("order.dwg");
  queue({a3, order}, 2);
  // A link planted in the run folder while it runs, pointing outside it.
  const std::string outside = path("outside");
  ASSERT_TRUE(foundation::createDirectory(outside, true));
  ASSERT_TRUE(foundation::writeFileAtomically(outside + "/keep.txt", "the user's"));
  onPage(2, [&] { fs::create_directory_symlink(outside, runFolder() + "/planted"); });
  start();

  const std::string combined = runFolder() + "/全部合并.pdf";
  EXPECT_EQ(entries(runFolder()), (std::vector<std::string>{"planted", "全部合并.pdf"}));
  EXPECT_EQ(papers(combined), (Papers{kA3, kA4, kA3, kA4Across}));
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(row(i).state, "完成");
    EXPECT_EQ(row(i).message, combined);
    EXPECT_EQ(row(i).outputs, std::vector<std::string>{combined});
  }
  EXPECT_EQ(status(), "完成 2 · 部分 0 · 失败 0 · 跳过 0 · 未完成 0");
  EXPECT_TRUE(fs::is_symlink(runFolder() + "/planted"));
  EXPECT_EQ(entries(outside), std::vector<std::string>{"keep.txt"});

  // A drawing's folder swapped for a link once its PDF is written: nothing is read, moved or removed through it,
  // and no combined PDF is made.
  fs::copy_file(combined, outside + "/A3.pdf");
  restartPageCount();
  onPage(2, [&] {
    fs::remove_all(runFolder() + "/A3");
    fs::create_directory_symlink(outside, runFolder() + "/A3");
  });
  start();
  EXPECT_FALSE(fs::exists(runFolder() + "/全部合并.pdf"));
  EXPECT_EQ(entries(outside), (std::vector<std::string>{"A3.pdf", "keep.txt"}));
  EXPECT_TRUE(fs::is_symlink(runFolder() + "/A3"));
  EXPECT_EQ(row(0).state, "失败");
  EXPECT_EQ(row(0).message.rfind("PDF is no longer where the run wrote it", 0), 0u) << row(0).message;
  EXPECT_TRUE(row(0).outputs.empty());
  EXPECT_EQ(row(1).state, "部分完成");
  EXPECT_NE(row(1).message.find("部分文件未完成，未生成全部合并 PDF；已完成结果保留在各文件夹。"), std::string::npos);
  EXPECT_EQ(entries(runFolder() + "/order"), std::vector<std::string>{"order.pdf"});
  EXPECT_EQ(status(), "部分文件未完成，未生成全部合并 PDF；已完成结果保留在各文件夹。");
}

TEST_F(QueueRunTest, WhileARunIsActiveTheModuleStaysAndADrawingTheUserOpensIsLeftAlone) {
  const std::string one = copyDrawing("A3.dwg", "drawings/one.dwg");
  const std::string two = copyDrawing("A3.dwg", "drawings/two.dwg");
  const std::string three = copyDrawing("A3.dwg", "drawings/three.dwg");
  queue({one, two, three}, 1);
  int answer = -1;
  cad::Document* opened = nullptr;
  onPage(1, [&] {
    answer = acrxEntryPoint(cad::kUnloadAppMsg, nullptr);
    opened = cad::docManager().open(two, false).document;
  });
  start();
  EXPECT_EQ(answer, cad::kRetError);
  EXPECT_NE(transcript().find(L"请停止打印队列并等待当前任务结束后再卸载。"), std::wstring::npos);
  ASSERT_NE(gBatchFilePanel, nullptr) << "the panel stays while the run is active";

  // The drawing the user opened meanwhile stops the run before it is touched.
  const std::string inCad = "图纸正在 CAD 中打开，请保存并关闭后重试。";
  EXPECT_EQ(row(0).state, "完成");
  EXPECT_EQ(row(1).state, "未执行");
  EXPECT_EQ(row(1).message, inCad);
  EXPECT_EQ(row(2).message, "队列已停止");
  EXPECT_EQ(status(), inCad);
  ASSERT_EQ(toolkit::ModalResponder::shared().alerts().size(), 1u);
  EXPECT_EQ(toolkit::ModalResponder::shared().alerts().front().messageText, "请先关闭已打开的图纸");
  EXPECT_TRUE(cad::docManager().isOpen(opened));
  EXPECT_FALSE(opened->isReadOnly());
  EXPECT_EQ(cad::docManager().openRequests.size(), 1u);
}

}  // namespace
}  // namespace queue_run_test
