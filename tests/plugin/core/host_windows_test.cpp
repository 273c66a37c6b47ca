// The host bridge's window functions: which window is the host's document window, and how the host and a
// plug-in panel come to the front.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/host_windows.h"
#include "foundation/main_queue.h"
#include "toolkit/application.h"
#include "toolkit/window.h"

namespace {

using toolkit::Panel;
using toolkit::Rect;
using toolkit::Responder;
using toolkit::Window;

std::vector<std::string> gCalls;

// A document window and a panel that log the ordering calls made on them.
class LoggedWindow : public Window {
 public:
  LoggedWindow() : Window(Rect{0, 0, 800, 600}, toolkit::window_style::titled) {}
  void orderFront(Responder* sender) override {
    gCalls.push_back("document orderFront");
    Window::orderFront(sender);
  }
  void makeKeyWindow() override {
    gCalls.push_back("document makeKeyWindow");
    Window::makeKeyWindow();
  }
};

class LoggedPanel : public Panel {
 public:
  LoggedPanel() : Panel(Rect{0, 0, 300, 200}, toolkit::window_style::titled) {}
  void orderFront(Responder* sender) override {
    gCalls.push_back("panel orderFront");
    Panel::orderFront(sender);
  }
  void makeKeyAndOrderFront(Responder* sender) override {
    gCalls.push_back("panel makeKeyAndOrderFront");
    Panel::makeKeyAndOrderFront(sender);
  }
};

class HostWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::MainQueue::main().resetForTesting();
    toolkit::Application::shared().resetForTesting();
    gCalls.clear();
  }
  static std::shared_ptr<Window> document() {
    return std::make_shared<Window>(Rect{0, 0, 800, 600}, toolkit::window_style::titled);
  }
  static std::shared_ptr<Panel> panel() {
    return std::make_shared<Panel>(Rect{0, 0, 300, 200}, toolkit::window_style::titled);
  }
};

TEST_F(HostWindowsTest, TheFrontmostVisibleDocumentWindowPassingOverPanelsAndHiddenWindows) {
  auto first = document(), second = document(), hidden = document();
  auto fullPanel = panel(), returnWindow = panel();
  first->orderFront();
  second->orderFront();
  fullPanel->orderFront();  // in front of both documents
  returnWindow->orderFront();
  EXPECT_EQ(vexBatchHostDocumentWindow(), second.get());
  first->orderFront();
  EXPECT_EQ(vexBatchHostDocumentWindow(), first.get());
  first->miniaturize();
  EXPECT_EQ(vexBatchHostDocumentWindow(), second.get());
}

TEST_F(HostWindowsTest, WhenNoDocumentWindowShowsTheFirstOneInTheWindowListAnswers) {
  auto plugInFirst = panel();  // created before every document: still never the answer
  auto first = document(), second = document();
  second->orderFront();
  first->orderFront();
  first->miniaturize();
  second->miniaturize();
  plugInFirst->orderFront();
  EXPECT_EQ(vexBatchHostDocumentWindow(), first.get());
  first->deminiaturize();
  first->orderOut();
  EXPECT_EQ(vexBatchHostDocumentWindow(), first.get());  // hidden windows count here too, in list order
}

TEST_F(HostWindowsTest, OnlyPanelsOrNoWindowsAtAllGiveNone) {
  EXPECT_EQ(vexBatchHostDocumentWindow(), nullptr);
  auto shown = panel(), hidden = panel();
  shown->makeKeyAndOrderFront();
  EXPECT_EQ(vexBatchHostDocumentWindow(), nullptr);
}

TEST_F(HostWindowsTest, BringingToTheFrontActivatesThenOrdersTheDocumentAndThenThePanel) {
  toolkit::Application& app = toolkit::Application::shared();
  app.resignActive();
  auto drawing = std::make_shared<LoggedWindow>();
  auto other = document();
  auto returnPanel = std::make_shared<LoggedPanel>();
  drawing->orderFront(nullptr);
  other->makeKeyAndOrderFront();
  gCalls.clear();
  vexBatchBringCadAndPanelToFront(returnPanel.get());
  EXPECT_TRUE(app.isActive());
  EXPECT_EQ(app.activationCount(), 1);
  EXPECT_EQ(gCalls, (std::vector<std::string>{"panel orderFront", "panel makeKeyAndOrderFront"}))
      << "the frontmost document window is the other one";
  EXPECT_TRUE(returnPanel->isKeyWindow());
  ASSERT_GE(app.orderedWindows().size(), 2u);
  EXPECT_EQ(app.orderedWindows()[0], returnPanel.get());
  EXPECT_EQ(app.orderedWindows()[1], other.get());

  // With the logged window as the document window, it comes front and key before the panel.
  other->close();
  gCalls.clear();
  vexBatchBringCadAndPanelToFront(returnPanel.get());
  EXPECT_EQ(gCalls, (std::vector<std::string>{"document orderFront", "document makeKeyWindow", "panel orderFront",
                                              "panel makeKeyAndOrderFront"}));
  EXPECT_EQ(app.orderedWindows()[0], returnPanel.get());
  EXPECT_EQ(app.orderedWindows()[1], drawing.get());
}

TEST_F(HostWindowsTest, NoPanelDoesNothingAndNoDocumentWindowStillShowsThePanel) {
  toolkit::Application& app = toolkit::Application::shared();
  auto drawing = document();
  vexBatchBringCadAndPanelToFront(nullptr);
  EXPECT_EQ(app.activationCount(), 0);
  EXPECT_FALSE(drawing->isVisible());
  drawing.reset();
  auto lonely = panel();
  vexBatchBringCadAndPanelToFront(lonely.get());
  EXPECT_EQ(app.activationCount(), 1);
  EXPECT_TRUE(lonely->isKeyWindow());
}

}  // namespace
