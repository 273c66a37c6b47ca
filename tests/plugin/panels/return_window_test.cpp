// The return window and the way back through DUZOZAREDRETURN: its look, its texts, what its button and its close
// button ask of the host (and what they do with no drawing open), where it leads back to, and its end at unload.

#include <algorithm>

#include "cad/command_stack.h"
#include "cad/database.h"
#include "cad/doc_manager.h"
#include "core/panel_lifecycle.h"
#include "panels_fixture.h"
#include "toolkit/beep.h"
#include "toolkit/button.h"
#include "toolkit/text_field.h"
#include "toolkit/user_actions.h"
#include "ui/application_panel.h"

namespace panels_test {
namespace {

const std::wstring kReturnCommand = L"\x1B\x1B_DUZOZAREDRETURN ";

class ReturnWindowTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    cad::commandStack().addCommand(L"QUODLINE_MAC", L"DUZOZAREDRETURN", L"DUZOZAREDRETURN", 0, vexBatchPrintReturn);
  }

  static void openDrawing() {
    auto db = cad::Database::createDefault();
    db->filename = L"/drawings/plan.dwg";
    cad::docManager().addDocument(std::move(db), L"/drawings/plan.dwg");
  }

  static VexBatchPrintReturnController& controller() {
    EXPECT_NE(gBatchPrintReturnController, nullptr);
    return *gBatchPrintReturnController;
  }

  static std::size_t queuedReturns() {
    std::size_t n = 0;
    for (const auto& call : cad::docManager().sendStringCalls) n += call.text == kReturnCommand;
    return n;
  }

  static void chooseLite(bool lite) { foundation::UserDefaults::standard().setBool(lite, "Quodline.LiteMode"); }
  static bool storedLite() { return foundation::UserDefaults::standard().boolForKey("Quodline.LiteMode"); }
};

TEST_F(ReturnWindowTest, TheWindowIsASmallUtilityPanelWithAMessageAndOneButton) {
  VexBatchPrintReturnController c;
  QDLApplicationPanel& panel = *c.panel();
  EXPECT_EQ(panel.contentRect().size, (toolkit::Size{330, 118}));
  using namespace toolkit::window_style;
  EXPECT_EQ(panel.styleMask(), titled | closable | utilityWindow);
  EXPECT_EQ(panel.backingType(), toolkit::BackingStore::buffered);
  EXPECT_FALSE(panel.isDeferred());
  EXPECT_EQ(panel.title(), "图框定位完成");
  EXPECT_EQ(panel.level(), toolkit::window_level::normal);
  EXPECT_FALSE(panel.hidesOnDeactivate());
  EXPECT_EQ(panel.collectionBehavior(), toolkit::collection_behavior::managed);
  EXPECT_FALSE(panel.isReleasedWhenClosed());
  EXPECT_EQ(panel.delegate(), &c);
  EXPECT_FALSE(panel.isVisible());
  EXPECT_FALSE(c.returnToLite());

  const toolkit::TextField& message = *c.messageLabel();
  EXPECT_EQ(message.frame(), (toolkit::Rect{20, 61, 290, 40}));
  EXPECT_EQ(message.stringValue(), "目标已用红框高亮；查看后可直接返回批打列表。");
  EXPECT_EQ(message.alignment(), graphics::TextAlignment::center);
  EXPECT_EQ(message.lineBreakMode(), graphics::LineBreakMode::wordWrap);
  EXPECT_EQ(message.maximumNumberOfLines(), 2);
  EXPECT_FALSE(message.isEditable());
  const toolkit::Button& button = *c.returnButton();
  EXPECT_EQ(button.frame(), (toolkit::Rect{85, 22, 160, 34}));
  EXPECT_EQ(button.title(), "返回批打界面");
  EXPECT_EQ(button.bezelStyle(), toolkit::BezelStyle::push);
}

TEST_F(ReturnWindowTest, ItShowsTheTextsItIsGivenOrItsDefaults) {
  const struct {
    const char* name;
    std::function<void()> show;
    const char* title;
    const char* message;
  } cases[] = {
      {"located sheet", [] { vexBatchShowReturnPanel(); }, "图框定位完成",
       "目标已用红框高亮；查看后可直接返回批打列表。"},
      {"no texts", [] { vexBatchShowReturnPanelWithMessage("", ""); }, "Ferrolin 批打工具", "可返回批打列表继续操作。"},
      {"marks", [] { vexBatchShowReturnPanelWithMessage("打印范围已标记", "已标出 3 个区域"); }, "打印范围已标记",
       "已标出 3 个区域"},
      {"a title only", [] { controller().showWithTitle("单页预览已生成", std::nullopt); }, "单页预览已生成",
       "可返回批打列表继续操作。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const long activations = toolkit::Application::shared().activationCount();
    c.show();
    QDLApplicationPanel& panel = *controller().panel();
    EXPECT_EQ(panel.title(), c.title);
    EXPECT_EQ(controller().messageLabel()->stringValue(), c.message);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(panel.isKeyWindow());
    EXPECT_EQ(toolkit::Application::shared().activationCount(), activations + 1);
    panel.orderOut();
  }
  // One window for every showing.
  EXPECT_EQ(controller().panel()->centerCount(), 4);
}

TEST_F(ReturnWindowTest, TheButtonAndTheCloseButtonAskForTheWayBackAndLeaveTheWindowUp) {
  openDrawing();
  vexBatchShowReturnPanel();
  QDLApplicationPanel& panel = *controller().panel();
  ASSERT_EQ(toolkit::clickView(*controller().returnButton()), "");
  EXPECT_EQ(queuedReturns(), 1u);
  EXPECT_TRUE(panel.isVisible());
  ASSERT_EQ(toolkit::pressCloseButton(panel), "");
  EXPECT_EQ(queuedReturns(), 2u);
  EXPECT_TRUE(panel.isVisible());

  // The host runs the command: the window goes and the full panel is chosen.
  foundation::MainQueue::main().drain();
  EXPECT_FALSE(panel.isVisible());
  EXPECT_FALSE(storedLite());
  EXPECT_NE(transcript().find(L"[vexBatchPrintReturn]\n[vexBatchPrintPanelShow]"), std::wstring::npos) << transcript();
}

TEST_F(ReturnWindowTest, AWayBackTheHostRefusesCanBeAskedForAgain) {
  openDrawing();
  vexBatchShowReturnPanel();
  cad::docManager().faults.sendString = true;
  const long beeps = toolkit::beepCount();
  ASSERT_EQ(toolkit::clickView(*controller().returnButton()), "");
  EXPECT_EQ(toolkit::beepCount(), beeps + 1);
  EXPECT_NE(transcript().find(L"无法启动命令"), std::wstring::npos);
  EXPECT_TRUE(controller().panel()->isVisible());
  cad::docManager().faults.sendString = false;
  ASSERT_EQ(toolkit::clickView(*controller().returnButton()), "");
  EXPECT_EQ(queuedReturns(), 2u);  // the refused send, then this one
  EXPECT_TRUE(controller().panel()->isVisible());
}

// Nothing can take a command with no drawing open, so the window would be stuck: it takes the way back itself.
TEST_F(ReturnWindowTest, WithNoDrawingOpenTheWindowGoesAndLeadsBackAtOnce) {
  for (const bool closeButton : {false, true}) {
    SCOPED_TRACE(closeButton ? "close button" : "button");
    chooseLite(true);
    vexBatchShowReturnPanel();
    QDLApplicationPanel& panel = *controller().panel();
    ASSERT_EQ(closeButton ? toolkit::pressCloseButton(panel) : toolkit::clickView(*controller().returnButton()), "");
    EXPECT_FALSE(panel.isVisible());
    EXPECT_TRUE(cad::docManager().sendStringCalls.empty());
    EXPECT_TRUE(storedLite());
    EXPECT_NE(transcript().rfind(L"[vexBatchPrintReturn]\n[vexBatchPrintLiteShow]"), std::wstring::npos);
  }
}

TEST_F(ReturnWindowTest, ItLeadsBackToThePanelChosenWhenItWasShown) {
  const struct {
    const char* name;
    bool shown;
    bool liteWhenShown;
    bool liteNow;
    const wchar_t* next;
  } cases[] = {{"compact when shown", true, true, false, L"[vexBatchPrintLiteShow]"},
               {"full when shown", true, false, true, L"[vexBatchPrintPanelShow]"},
               {"never shown", false, true, true, L"[vexBatchPrintPanelShow]"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cad::commandLine().clearTranscript();
    vexBatchReturnWindowShutdown();
    if (c.shown) {
      chooseLite(c.liteWhenShown);
      vexBatchShowReturnPanel();
      EXPECT_EQ(controller().returnToLite(), c.liteWhenShown);
    }
    chooseLite(c.liteNow);
    vexBatchPrintReturn();
    EXPECT_EQ(storedLite(), c.shown && c.liteWhenShown);
    // The calls in order; the full panel's plot-style line comes with its creation.
    std::wstring calls;
    for (std::size_t at = 0; at < transcript().size();) {
      const std::size_t end = std::min(transcript().find(L'\n', at + 1), transcript().size());
      const std::wstring line = transcript().substr(at, end - at);
      if (line.find(L"DUZOZAREDPLOTSTYLEMODE") == std::wstring::npos) calls += line;
      at = end;
    }
    EXPECT_NE(calls.find(std::wstring(L"[vexBatchPrintReturn]\n") + c.next), std::wstring::npos) << transcript();
    if (c.shown) {
      EXPECT_FALSE(controller().panel()->isVisible());
    }
  }
}

TEST_F(ReturnWindowTest, ShowingTheFullPanelPutsItAwayAndUnloadingClosesAndReleasesIt) {
  vexBatchShowReturnPanel();
  std::shared_ptr<QDLApplicationPanel> panel = controller().panel();
  chooseLite(false);
  vexBatchPrintPanelShow();
  EXPECT_FALSE(panel->isVisible());
  vexBatchPrintPanelReload();
  vexBatchShowReturnPanel();
  vexBatchPrintPanelReload();
  EXPECT_FALSE(panel->isVisible());

  vexBatchShowReturnPanel();
  vexBatchPrintPanelShutdown();
  EXPECT_EQ(gBatchPrintReturnController, nullptr);
  EXPECT_FALSE(panel->isVisible());
  EXPECT_EQ(panel->delegate(), nullptr);
}

TEST_F(ReturnWindowTest, ItSpeaksTheInterfaceLanguage) {
  useLanguage("en");
  vexBatchShowReturnPanel();
  EXPECT_EQ(controller().panel()->title(), "Frame located");
  EXPECT_EQ(controller().messageLabel()->stringValue(),
            "The frame is highlighted. Return to Duzoz Ared when finished.");
  EXPECT_EQ(controller().returnButton()->title(), "Return to Duzoz Ared");
  vexBatchShowReturnPanelWithMessage("", "");
  EXPECT_EQ(controller().panel()->title(), "Ferrolin Duzoz Ared");
  EXPECT_EQ(controller().messageLabel()->stringValue(), "Return to Duzoz Ared to continue.");
}

}  // namespace
}  // namespace panels_test
