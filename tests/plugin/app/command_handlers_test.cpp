// The thin handlers, run as the host runs them (through the registered command): which work they reach and
// what they print, with no work active and during a queue run or a compact export.
#include "app/entry_point.h"
#include "app/status_report.h"
#include "core/panel_handoffs.h"
#include "core/panel_lifecycle.h"
#include "foundation/user_defaults.h"
#include "host_fixture.h"
#include "panels/lite_panel.h"
#include "plot/last_result.h"
#include "temp_folder.h"

namespace {

enum class Work { kNone, kQueueRun, kCompactExport };

struct HandlerCase {
  const wchar_t* command;
  std::wstring idle;    // transcript with no work active
  std::wstring active;  // transcript while either kind of work is active
};

// What the status report prints with no drawing open and nothing run but, when given, a failure; its fields are
// checked with the report itself, here only that the handlers print it where they should.
std::wstring statusReport(const std::wstring& error = L"") {
  QuodlCallTraceHook hook = gQuodlCallTrace;
  gQuodlCallTrace = nullptr;
  cad::commandLine().clearTranscript();
  const VexBatchPrintLastResult before = vexBatchPrintSaveLastResult();
  gBatchPrintLastError = error;
  vexBatchPrintPrintStatus();
  vexBatchPrintRestoreLastResult(before);
  std::wstring report = cad::commandLine().transcript();
  cad::commandLine().clearTranscript();
  gQuodlCallTrace = hook;
  return report;
}

std::vector<HandlerCase> handlerCases() {
  return {
      {L"DUZOZAREDUPDATE", L"\n[qdl_updates_check]", L"\n[qdl_updates_check]"},
      // The panel show decides for itself what to do while work is active; the confirmation always follows.
      {L"DUZOZARED", L"\n[vexBatchPrintPanelShow]\nFerrolin 批打工具面板已打开。",
       L"\n[vexBatchPrintPanelShow]\nFerrolin 批打工具面板已打开。"},
      {L"QUODL_NATIVE", L"\n[vexBatchPrintPanelShow]\nFerrolin 批打工具面板已打开。",
       L"\n[vexBatchPrintPanelShow]\nFerrolin 批打工具面板已打开。"},
      {L"QUODL", L"\n[vexBatchPrintPanelShow]\nFerrolin 批打工具面板已打开。",
       L"\n[vexBatchPrintPanelShow]\nFerrolin 批打工具面板已打开。"},
      {L"DUZOZAREDREFRESH", L"\n[vexBatchPrintPanelReload]\n批量打印页面列表已刷新。", L""},
      // Nothing is staged, so the executor fails: FAIL, then the status report with its reason.
      {L"DUZOZAREDEXEC",
       L"\n[vexBatchPrintExecutePending]\nDUZOZAREDEXEC=FAIL\n[vexBatchPrintPrintStatus]" +
           statusReport(L"No staged batch-print job"),
       L"\nDUZOZAREDEXEC=BLOCKED"},
      {L"DUZOZAREDPREVIEW",
       L"\n[vexBatchPrintExecutePreview]\n没有待预览页面，请先在批打列表中选中一行。\nDUZOZAREDPREVIEW=FAIL",
       L"\nDUZOZAREDPREVIEW=BLOCKED"},
      {L"DUZOZAREDSTATUS", L"\n[vexBatchPrintPrintStatus]" + statusReport(),
       L"\n[vexBatchPrintPrintStatus]" + statusReport()},
      // With no drawing open the drawing commands find nothing to work on and say so.
      {L"DUZOZAREDFOCUS", L"\n没有待定位的图框，请先在批打面板中选择一项。", L""},
      {L"DUZOZAREDSHOWRANGES", L"\n没有待标记的打印范围，请先在批打列表中勾选图框。\n[vexBatchPrintPanelShow]", L""},
      {L"DUZOZAREDADDFRAME", L"\n手动补框失败：请先切换到目标布局，再从“布局”列表操作。\n[vexBatchPrintPanelShow]",
       L""},
      {L"DUZOZAREDPICKLAYER", L"\n点选图层失败：无法进入当前选择的布局或模型空间。\n[vexBatchPrintPanelShow]", L""},
      {L"DUZOZAREDPICKFRAMES", L"\n点选范围失败：无法进入当前选择的布局或模型空间。\n[vexBatchPrintPanelShow]", L""},
      {L"DUZOZAREDPICKBLOCK", L"\n点选图块失败：无法进入当前选择的布局或模型空间。\n[vexBatchPrintPanelShow]", L""},
      {L"DUZOZAREDSELECTRANGE", L"\n框选打印范围失败：无法进入当前选择的布局或模型空间。\n[vexBatchPrintPanelShow]",
       L""},
      // The compact panel's own show refuses silently while work runs.
      {L"DUZOZAREDLITE", L"\n[vexBatchPrintLiteShow]", L"\n[vexBatchPrintLiteShow]"},
      // With no drawing open (and no bundle around the test) the monochrome style cannot be installed.
      {L"DUZOZAREDLITEEXEC",
       L"\n[vexBatchPrintLiteExecute]\nDUZOZAREDLITEEXEC=FAIL error=Plot style unavailable: "
       L"Cannot install the monochrome 0.05 mm style. Check plot-style folder permissions or reinstall the plugin.",
       L"\n[vexBatchPrintLiteExecute]\nDUZOZAREDLITEEXEC=BLOCKED"},
      // Registered straight from its owner: this part adds no check of its own.
      {L"DUZOZAREDFILESTART", L"\n[vexBatchPrintFilesStart]", L"\n[vexBatchPrintFilesStart]"},
  };
}

class CommandHandlersTest : public HostTest {
 protected:
  int appId_ = 0;
  void SetUp() override {
    HostTest::SetUp();
    foundation::UserDefaults::setRootForTesting(folder_ / "defaults");
    ASSERT_EQ(acrxEntryPoint(1, &appId_), 0);
  }
  void TearDown() override {
    vexBatchLiteShutdown();
    HostTest::TearDown();
    foundation::UserDefaults::setRootForTesting("");
  }
  TempFolder folder_{"quodl-app"};

  static void run(const wchar_t* name) {
    const cad::Command* command = cad::commandStack().lookupGlobalCmd(name);
    ASSERT_NE(command, nullptr) << "not registered";
    cad::commandLine().clearTranscript();
    command->functionAddr()();
  }
};

// The full panel's plot-style trace, which its own tests read: how often it shows depends on whether the panel
// was just made.
std::wstring withoutStyleTraces(std::wstring text) {
  const std::wstring tag = L"\nDUZOZAREDPLOTSTYLEMODE ";
  for (std::size_t at = text.find(tag); at != std::wstring::npos; at = text.find(tag, at)) {
    const std::size_t end = text.find(L'\n', at + 1);
    text.erase(at, end == std::wstring::npos ? std::wstring::npos : end - at);
  }
  return text;
}

TEST_F(CommandHandlersTest, EachHandlerReachesItsWorkAndPrintsItsLines) {
  for (const Work work : {Work::kNone, Work::kQueueRun, Work::kCompactExport}) {
    gBatchFileQueueRunning = work == Work::kQueueRun;
    gBatchLitePrinting = work == Work::kCompactExport;
    for (const HandlerCase& c : handlerCases()) {
      SCOPED_TRACE(testing::Message() << foundation::utf8FromWideLossy(c.command) << " work="
                                      << static_cast<int>(work));
      vexBatchPrintRestoreLastResult({});
      // Each row starts with no panel, as after loading (the status report tells whether one shows).
      closeFullPanel();
      vexBatchPrintPanelHide();
      run(c.command);
      EXPECT_EQ(withoutStyleTraces(transcript()), work == Work::kNone ? c.idle : c.active);
    }
  }
}

}  // namespace
