// Start-up and unload: what the host sees registered, what is called in which order, and the refusal while
// work is active.

#include "app/entry_point.h"
#include "cad/dynamic_linker.h"
#include "core/panel_lifecycle.h"
#include "foundation/files.h"
#include "foundation/text.h"
#include "host_fixture.h"
#include "plot/print_jobs.h"
#include "queue/file_queue_commands.h"
#include "services/custom_command.h"
#include "temp_folder.h"

namespace {

constexpr int kModal = 0;
constexpr int kSession = 0x200000;

struct Row {
  const wchar_t* name;
  int flags;
};

// The command table as the host must see it, in registration order.
constexpr Row kTable[] = {
    {L"DUZOZAREDRETURN", kModal},    {L"DUZOZAREDLITE", kModal},       {L"DUZOZAREDPRO", kModal},
    {L"DUZOZAREDLITEEXEC", kModal},  {L"DUZOZAREDFILES", kModal},      {L"DUZOZAREDFILESTART", kSession},
    {L"DUZOZAREDFILEEXEC", kModal},  {L"DUZOZAREDCOMMAND", kModal},    {L"DUZOZAREDUPDATE", kModal},
    {L"QUODL_NATIVE", kModal},       {L"DUZOZARED", kModal},           {L"DUZOZAREDREFRESH", kModal},
    {L"DUZOZAREDEXEC", kModal},      {L"DUZOZAREDPREVIEW", kModal},    {L"DUZOZAREDSTATUS", kModal},
    {L"DUZOZAREDFOCUS", kModal},     {L"DUZOZAREDSHOWRANGES", kModal}, {L"DUZOZAREDADDFRAME", kModal},
    {L"DUZOZAREDPICKLAYER", kModal}, {L"DUZOZAREDPICKFRAMES", kModal}, {L"DUZOZAREDPICKBLOCK", kModal},
    {L"DUZOZAREDSELECTRANGE", kModal},
};

const std::wstring kLoadMessage = L"\nFerrolin 批打工具 1.0.0-beta.9 已加载；输入 QUODL 打开面板。";
const std::wstring kUnloadRefusal = L"\n请停止打印队列并等待当前任务结束后再卸载。";

class EntryPointTest : public HostTest {
 protected:
  int appId_ = 0;

  void load() {
    ASSERT_EQ(acrxEntryPoint(1, &appId_), 0);
    cad::commandLine().clearTranscript();
  }

  // Each neighbouring call also notes how many of the plug-in's commands the host still holds at that moment.
  static void traceWithCommands(const char* name) {
    HostTest::trace(name);
    const auto held = cad::commandStack().commandsOf(L"QUODLINE_MAC").size() +
                      cad::commandStack().commandsOf(L"QUODLINE_MAC_OPEN").size();
    cad::commandLine().print(L" commands=" + std::to_wstring(held));
  }
};

TEST_F(EntryPointTest, StartUpDeclaresTheApplicationRegistersTheTableThenStartsServicesAndGreets) {
  gQuodlCallTrace = &EntryPointTest::traceWithCommands;
  EXPECT_EQ(acrxEntryPoint(1, &appId_), 0);

  EXPECT_EQ(cad::dynamicLinker().unlocked, std::vector<void*>{&appId_});
  EXPECT_EQ(cad::dynamicLinker().mdiAware, std::vector<void*>{&appId_});

  const auto commands = cad::commandStack().commandsOf(L"QUODLINE_MAC");
  ASSERT_EQ(commands.size(), std::size(kTable));
  for (std::size_t i = 0; i < commands.size(); ++i) {
    SCOPED_TRACE(kTable[i].name);
    EXPECT_EQ(commands[i]->globalName(), kTable[i].name);
    EXPECT_EQ(commands[i]->localName(), kTable[i].name);
    EXPECT_EQ(commands[i]->commandFlags(), kTable[i].flags);
    EXPECT_EQ(commands[i]->uiContext(), nullptr);
    EXPECT_EQ(commands[i]->functionCode(), -1);
  }
  // QUODL, which the load message names, follows the table in a group of its own.
  EXPECT_EQ(cad::commandStack().groups(), (std::vector<std::wstring>{L"QUODLINE_MAC", L"QUODLINE_MAC_OPEN"}));
  EXPECT_EQ(commandNames(L"QUODLINE_MAC_OPEN"), std::vector<std::wstring>{L"QUODL"});
  EXPECT_EQ(cad::commandStack().lookupGlobalCmd(L"QUODL")->commandFlags(), kModal);

  // The services start after all 23 commands exist; the load message comes last.
  EXPECT_EQ(transcript(),
            L"\n[qdl_command_settings_initialize] commands=23"
            L"\n[vexBatchPrintUpdatesStart] commands=23" +
                kLoadMessage);
}

TEST_F(EntryPointTest, CommandsOwnedByOtherSubsystemsAreRegisteredWithTheirOwnHandlers) {
  load();
  const struct {
    const wchar_t* name;
    void (*handler)();
  } direct[] = {
      {L"DUZOZAREDRETURN", vexBatchPrintReturn},         {L"DUZOZAREDPRO", vexBatchPrintProShow},
      {L"DUZOZAREDFILES", vexBatchPrintFilesShow},       {L"DUZOZAREDFILESTART", vexBatchPrintFilesStart},
      {L"DUZOZAREDFILEEXEC", vexBatchPrintFileExecute},  {L"DUZOZAREDCOMMAND", qdl_command_settings_show},
  };
  for (const auto& row : direct) {
    SCOPED_TRACE(row.name);
    const cad::Command* command = cad::commandStack().lookupGlobalCmd(row.name);
    ASSERT_NE(command, nullptr);
    const cad::CommandFunction function = command->functionAddr();
    const auto* target = function.target<void (*)()>();
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(*target, row.handler);
  }
}

TEST_F(EntryPointTest, StartUpCarriesOnWhenTheHostRefusesItsCalls) {
  // Failures of the linker and of single registrations go unreported; every later step still runs.
  cad::dynamicLinker().faults.unlock = true;
  cad::dynamicLinker().faults.mdiAware = true;
  cad::commandStack().faults.addCommand = {L"DUZOZAREDEXEC"};
  EXPECT_EQ(acrxEntryPoint(1, &appId_), 0);
  EXPECT_EQ(cad::commandStack().commandsOf(L"QUODLINE_MAC").size(), std::size(kTable) - 1);
  EXPECT_NE(cad::commandStack().lookupGlobalCmd(L"DUZOZAREDSELECTRANGE"), nullptr);
  EXPECT_NE(transcript().find(kLoadMessage), std::wstring::npos);

  // Without a command stack or a dynamic linker in the registry nothing crashes either.
  cad::commandStack().clear();
  cad::commandStack().faults = {};
  cad::acrxSysRegistry()->setAbsent(L"ACAD_REGISTERED_COMMANDS", true);
  cad::acrxSysRegistry()->setAbsent(L"DynamicLinker", true);
  cad::commandLine().clearTranscript();
  EXPECT_EQ(acrxEntryPoint(1, &appId_), 0);
  EXPECT_EQ(acrxEntryPoint(2, &appId_), 0);
  EXPECT_TRUE(cad::commandStack().commands().empty());
  EXPECT_NE(transcript().find(kLoadMessage), std::wstring::npos);
}

TEST_F(EntryPointTest, UnloadRemovesCustomCommandThenGroupsThenPanelsThenUpdateNotice) {
  load();
  gQuodlCallTrace = &EntryPointTest::traceWithCommands;
  EXPECT_EQ(acrxEntryPoint(2, &appId_), 0);
  EXPECT_EQ(transcript(),
            L"\n[qdl_command_settings_shutdown] commands=23"
            L"\n[vexBatchPrintPanelShutdown] commands=0"
            L"\n[qdl_updates_shutdown] commands=0");
  EXPECT_TRUE(cad::commandStack().groups().empty());
}

TEST_F(EntryPointTest, UnloadDeletesThePreviewsTemporaryPdfAndResetsBothJobs) {
  const TempFolder folder;
  const std::string preview = folder / "CAD批打预览-1.pdf";
  ASSERT_TRUE(foundation::writeFileAtomically(preview, "%PDF-1.7\n"));
  load();
  gBatchPrintPendingJob.pages.resize(2);
  gBatchPrintPendingJob.totalPageCount = 2;
  gBatchPrintPendingJob.active = true;
  gBatchPrintPreviewJob.pdfPath = foundation::wideFromUtf8Lossy(preview);
  gBatchPrintPreviewJob.ready = true;
  EXPECT_EQ(acrxEntryPoint(2, &appId_), 0);
  EXPECT_FALSE(foundation::isRegularFile(preview));
  EXPECT_FALSE(gBatchPrintPendingJob.active);
  EXPECT_TRUE(gBatchPrintPendingJob.pages.empty());
  EXPECT_EQ(gBatchPrintPendingJob.totalPageCount, 0u);
  EXPECT_FALSE(gBatchPrintPreviewJob.ready);
  EXPECT_TRUE(gBatchPrintPreviewJob.pdfPath.empty());

  // With nothing staged and no preview the unload only resets them.
  load();
  EXPECT_EQ(acrxEntryPoint(2, &appId_), 0);
  EXPECT_FALSE(gBatchPrintPendingJob.active);
  EXPECT_TRUE(gBatchPrintPreviewJob.pdfPath.empty());
}

TEST_F(EntryPointTest, UnloadWhileWorkIsActiveIsRefusedAndChangesNothing) {
  for (bool* flag : {&gBatchFileQueueRunning, &gBatchLitePrinting}) {
    SCOPED_TRACE(flag == &gBatchFileQueueRunning ? "queue run" : "compact export");
    cad::commandStack().clear();
    load();
    *flag = true;
    EXPECT_EQ(acrxEntryPoint(2, &appId_), 3);
    EXPECT_EQ(transcript(), kUnloadRefusal);
    EXPECT_EQ(cad::commandStack().commandsOf(L"QUODLINE_MAC").size(), std::size(kTable));
    EXPECT_EQ(commandNames(L"QUODLINE_MAC_OPEN"), std::vector<std::wstring>{L"QUODL"});

    // Once the work ends the same request goes through.
    *flag = false;
    cad::commandLine().clearTranscript();
    EXPECT_EQ(acrxEntryPoint(2, &appId_), 0);
    EXPECT_TRUE(cad::commandStack().groups().empty());
  }
}

TEST_F(EntryPointTest, OtherMessagesChangeNothing) {
  for (const int message : {0, 3, 4, 5, 6, 7, 100, -1}) {
    SCOPED_TRACE(message);
    EXPECT_EQ(acrxEntryPoint(message, &appId_), 0);
  }
  EXPECT_TRUE(cad::commandStack().commands().empty());
  EXPECT_TRUE(cad::dynamicLinker().unlocked.empty());
  EXPECT_EQ(transcript(), L"");

  load();
  for (const int message : {0, 3, 4, 100}) EXPECT_EQ(acrxEntryPoint(message, &appId_), 0);
  EXPECT_EQ(cad::commandStack().commands().size(), std::size(kTable) + 1);
  EXPECT_EQ(transcript(), L"");
}

}  // namespace
