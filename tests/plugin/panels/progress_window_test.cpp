// The progress window as a plot drives it: its look, what it shows at each step, the three ways of cancelling
// (the button, Escape, the close button) reaching the plot between pages through the event pump, the success
// state with its delayed close, and its texts in another language.

#include <functional>

#include "panels/progress_ring.h"
#include "panels_fixture.h"
#include "toolkit/button.h"
#include "toolkit/text_field.h"
#include "toolkit/user_actions.h"
#include "ui/application_panel.h"

namespace panels_test {
namespace {

using Controller = VexBatchPrintProgressController;

class ProgressWindowTest : public PanelsTest {
 protected:
  static QDLPrintProgressWindow& windowOf(const Controller& controller) {
    auto* window = dynamic_cast<QDLPrintProgressWindow*>(controller.window());
    EXPECT_NE(window, nullptr);
    return *window;
  }

  // What the window's three lines and its ring say.
  static std::vector<std::string> lines(const QDLPrintProgressWindow& w) {
    return {w.pageLabel()->stringValue(), w.detailLabel()->stringValue(), w.completedLabel()->stringValue(),
            w.ring()->percentLabel()->stringValue()};
  }
};

TEST_F(ProgressWindowTest, TheWindowIsASmallDarkPanelWithItsRingLinesAndCancelButton) {
  const auto progress = Controller::initWithTotalPages(0);
  QDLPrintProgressWindow& w = windowOf(*progress);
  QDLApplicationPanel& panel = *w.panel();
  EXPECT_EQ(panel.contentRect().size, (toolkit::Size{340, 360}));
  using namespace toolkit::window_style;
  EXPECT_EQ(panel.styleMask(), titled | closable | fullSizeContentView);
  EXPECT_EQ(panel.backingType(), toolkit::BackingStore::buffered);
  EXPECT_FALSE(panel.isDeferred());
  EXPECT_EQ(panel.title(), "Ferrolin 批打工具进度");
  EXPECT_EQ(panel.titleVisibility(), toolkit::TitleVisibility::hidden);
  EXPECT_TRUE(panel.titlebarAppearsTransparent());
  EXPECT_EQ(panel.effectiveAppearance(), graphics::Appearance::darkAqua);
  EXPECT_EQ(panel.backgroundColor(), graphics::Color::grey(0.105, 1));
  ASSERT_TRUE(panel.contentView()->wantsLayer());
  EXPECT_EQ(panel.contentView()->layer()->backgroundColor, graphics::Color::grey(0.105, 1));
  EXPECT_EQ(panel.level(), toolkit::window_level::normal);
  EXPECT_FALSE(panel.isFloatingPanel());
  EXPECT_FALSE(panel.hidesOnDeactivate());
  EXPECT_EQ(panel.collectionBehavior(), toolkit::collection_behavior::managed);
  EXPECT_FALSE(panel.isReleasedWhenClosed());
  EXPECT_EQ(panel.delegate(), &w);
  EXPECT_FALSE(panel.isVisible());

  const struct {
    const toolkit::View* view;
    toolkit::Rect frame;
    const char* identifier;
  } views[] = {{w.ring().get(), {70, 150, 200, 200}, ""},
               {w.pageLabel().get(), {24, 117, 292, 26}, "printProgressStage"},
               {w.detailLabel().get(), {24, 87, 292, 20}, ""},
               {w.completedLabel().get(), {24, 60, 292, 20}, "printProgressCompletedPages"},
               {w.cancelButton().get(), {114, 14, 112, 32}, "cancelPrinting"}};
  for (const auto& v : views) {
    EXPECT_EQ(v.view->superview(), panel.contentView().get());
    EXPECT_EQ(v.view->frame(), v.frame);
    EXPECT_EQ(v.view->identifier(), v.identifier);
  }
  EXPECT_EQ(w.pageLabel()->font(), graphics::Font::system(16, graphics::FontWeight::semibold));
  EXPECT_EQ(w.pageLabel()->lineBreakMode(), graphics::LineBreakMode::truncatingTail);
  EXPECT_EQ(w.pageLabel()->textColor(), graphics::Color::white());
  EXPECT_EQ(w.detailLabel()->lineBreakMode(), graphics::LineBreakMode::truncatingMiddle);
  EXPECT_EQ(w.detailLabel()->textColor(), graphics::Color::grey(0.75));
  EXPECT_EQ(w.completedLabel()->textColor(), graphics::Color::grey(0.6));
  for (const auto& label : {w.pageLabel(), w.detailLabel(), w.completedLabel()}) {
    EXPECT_EQ(label->alignment(), graphics::TextAlignment::center);
    EXPECT_FALSE(label->isEditable());
  }
  EXPECT_EQ(w.cancelButton()->title(), "取消打印");
  EXPECT_EQ(w.cancelButton()->bezelStyle(), toolkit::BezelStyle::push);
  EXPECT_EQ(w.cancelButton()->keyEquivalent(), toolkit::key::escape);
  EXPECT_TRUE(w.cancelButton()->isEnabled());
  EXPECT_EQ(lines(w), (std::vector<std::string>{"正在准备打印引擎…", "", "已处理 0 / 1 页", "0%"}));
}

TEST_F(ProgressWindowTest, ShowingItCentresItInFrontOfTheHostAndSetsTheRingGoing) {
  const auto progress = Controller::initWithTotalPages(3);
  QDLPrintProgressWindow& w = windowOf(*progress);
  const long activations = toolkit::Application::shared().activationCount();
  progress->show();
  EXPECT_TRUE(w.panel()->isVisible());
  EXPECT_TRUE(w.panel()->isKeyWindow());
  EXPECT_EQ(w.panel()->centerCount(), 1);
  EXPECT_EQ(toolkit::Application::shared().activationCount(), activations + 1);
  EXPECT_GE(w.panel()->displayCount(), 1);
  EXPECT_NE(w.ring()->waves()[0]->animation("spin"), nullptr);
}

TEST_F(ProgressWindowTest, APlotShowsEachPageItsNameAndThePagesDone) {
  const auto progress = Controller::initWithTotalPages(3);
  QDLPrintProgressWindow& w = windowOf(*progress);
  progress->show();
  progress->updatePage(1, "A3-01 总平面图");
  EXPECT_EQ(lines(w), (std::vector<std::string>{"正在输出第 1 / 3 页", "A3-01 总平面图", "已处理 0 / 3 页", "0%"}));
  EXPECT_EQ(w.detailLabel()->toolTip(), "A3-01 总平面图");
  progress->completePages(1);
  progress->updatePage(2, "");
  EXPECT_EQ(lines(w), (std::vector<std::string>{"正在输出第 2 / 3 页", "未命名页面", "已处理 1 / 3 页", "33%"}));
  EXPECT_EQ(w.detailLabel()->toolTip(), "未命名页面");
  progress->completePages(2);
  progress->updatePage(3, "A3-03");
  progress->completePages(3);
  progress->showStage("正在校验 PDF…");
  // Every page is done, but only success shows 100 %.
  EXPECT_EQ(lines(w), (std::vector<std::string>{"正在校验 PDF…", "A3-03", "已处理 3 / 3 页", "99%"}));
}

// A person acts while page 1 plots; the plot's next call that pumps (here the next page) hands the act on.
TEST_F(ProgressWindowTest, EachWayOfCancellingReachesThePlotBetweenPagesAndLeavesTheWindowOpen) {
  const struct {
    const char* way;
    std::function<std::string(QDLPrintProgressWindow&)> act;
  } ways[] = {{"button", [](QDLPrintProgressWindow& w) { return toolkit::postClick(*w.cancelButton()); }},
              {"Escape", [](QDLPrintProgressWindow& w) { return toolkit::postKey(w.panel().get(), "Escape"); }},
              {"close button", [](QDLPrintProgressWindow& w) { return toolkit::postCloseButtonClick(*w.panel()); }}};
  for (const auto& way : ways) {
    SCOPED_TRACE(way.way);
    const auto progress = Controller::initWithTotalPages(3);
    QDLPrintProgressWindow& w = windowOf(*progress);
    progress->show();
    progress->updatePage(1, "A3-01");
    ASSERT_EQ(way.act(w), "");
    EXPECT_FALSE(progress->cancelled());  // not before the plot pumps
    progress->completePages(1);
    EXPECT_FALSE(progress->cancelled());
    progress->updatePage(2, "A3-02");
    EXPECT_TRUE(progress->cancelled());
    EXPECT_TRUE(w.panel()->isVisible());
    EXPECT_FALSE(w.cancelButton()->isEnabled());
    EXPECT_EQ(lines(w), (std::vector<std::string>{"正在安全取消…", "当前页面结束后停止。", "已处理 1 / 3 页", "33%"}));
    EXPECT_FALSE(w.ring()->waves()[0]->animationKeys().empty()) << "the ring keeps turning";

    // The plot stops between pages and ends the job: the window closes at once, without a success state.
    progress->finishWithSuccess(true);
    EXPECT_FALSE(w.panel()->isVisible());
    EXPECT_FALSE(progress->succeeded());
    EXPECT_EQ(w.panel()->delegate(), nullptr);
    EXPECT_TRUE(w.ring()->waves()[0]->animationKeys().empty());
  }
}

TEST_F(ProgressWindowTest, TheSuccessStateStaysFor0_8SecondsAndOnlyTheCloseButtonCutsItShort) {
  auto progress = Controller::initWithTotalPages(2);
  QDLPrintProgressWindow& w = windowOf(*progress);
  const std::shared_ptr<QDLApplicationPanel> panel = w.panel();
  progress->show();
  progress->updatePage(1, "a");
  progress->completePages(2);
  progress->finishWithSuccess(true);
  EXPECT_EQ(lines(w), (std::vector<std::string>{"输出完成", "a", "PDF 已生成", "100%"}));
  EXPECT_TRUE(w.ring()->percentLabel()->isHidden());
  EXPECT_EQ(w.ring()->check()->opacity, 1);
  EXPECT_FALSE(w.cancelButton()->isEnabled());

  // Escape and the button do nothing now.
  EXPECT_EQ(toolkit::pressKey(panel.get(), "Escape"), "");
  EXPECT_EQ(toolkit::clickView(*w.cancelButton()), "");
  EXPECT_FALSE(progress->cancelled());
  EXPECT_TRUE(panel->isVisible());

  const std::weak_ptr<Controller> weak = progress;
  progress.reset();
  after(0.7);
  EXPECT_TRUE(panel->isVisible());
  after(0.1);
  EXPECT_FALSE(panel->isVisible());
  EXPECT_TRUE(weak.expired());

  // Another job's success state, cut short by the close button.
  const auto next = Controller::initWithTotalPages(1);
  QDLPrintProgressWindow& second = windowOf(*next);
  next->show();
  next->completePages(1);
  next->finishWithSuccess(true);
  EXPECT_EQ(toolkit::pressCloseButton(*second.panel()), "");
  EXPECT_FALSE(second.panel()->isVisible());
  EXPECT_TRUE(next->succeeded());
}

TEST_F(ProgressWindowTest, ItSpeaksTheInterfaceLanguage) {
  useLanguage("en");
  const auto progress = Controller::initWithTotalPages(3);
  QDLPrintProgressWindow& w = windowOf(*progress);
  EXPECT_EQ(w.panel()->title(), "Ferrolin Duzoz Ared progress");
  EXPECT_EQ(w.cancelButton()->title(), "Cancel plotting");
  EXPECT_EQ(lines(w), (std::vector<std::string>{"Preparing plot engine...", "", "Processed 0 / 3 pages", "0%"}));
  progress->show();
  progress->updatePage(2, "");
  EXPECT_EQ(lines(w),
            (std::vector<std::string>{"Exporting sheet 2 / 3", "Unnamed sheet", "Processed 1 / 3 pages", "33%"}));
  progress->cancelPrinting();
  EXPECT_EQ(lines(w)[0], "Cancelling safely...");
  EXPECT_EQ(lines(w)[1], "Stop after the current page.");

  // A change of language while it is open turns its fixed texts over.
  useLanguage("zh-Hant");
  EXPECT_EQ(w.cancelButton()->title(), QDLTraditional("取消打印"));
  EXPECT_EQ(w.panel()->title(), QDLTraditional("Ferrolin 批打工具进度"));
  EXPECT_EQ(lines(w)[0], QDLTraditional("正在安全取消…"));
}

TEST_F(ProgressWindowTest, TheSuccessLineHasNoEnglishAndStaysChinese) {
  useLanguage("en");
  const auto progress = Controller::initWithTotalPages(1);
  QDLPrintProgressWindow& w = windowOf(*progress);
  progress->completePages(1);
  progress->finishWithSuccess(true);
  EXPECT_EQ(lines(w), (std::vector<std::string>{"输出完成", "", "PDF created", "100%"}));
}

}  // namespace
}  // namespace panels_test
