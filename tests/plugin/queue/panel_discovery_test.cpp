// Gathering drawings in the queue panel: the search in the background, its limits, cancelling and closing
// during it, and unload with a search running.
#include <dirent.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "faulty_file_system.h"
#include "queue_fixture.h"
#include "toolkit/button.h"
#include "toolkit/user_actions.h"
#include "ui/application_panel.h"
#include "ui/compact_label.h"

namespace queue_test {
namespace {

// The threads of this process.
int threadCount() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/task")) {
    while (const dirent* entry = ::readdir(dir)) count += entry->d_name[0] != '.';
    ::closedir(dir);
  }
  return count;
}

// Holds a search inside its first folder until the test lets it go.
class GatedFileSystem : public QDLQueueFileSystem {
 public:
  QDLQueueFolderListing readFolder(const std::string& path) const override {
    std::unique_lock lock(mutex_);
    entered_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return open_; });
    return QDLQueueFileSystem::readFolder(path);
  }
  void waitUntilEntered() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return entered_; });
  }
  void open() {
    const std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  mutable bool entered_ = false;
  bool open_ = false;
};

std::vector<std::string> makeDrawings(const FileTree& tree, const std::string& folder, int count) {
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) paths.push_back(tree.file(folder + "/" + std::to_string(1000 + i) + ".dwg", ""));
  return paths;
}

TEST_F(QueueTest, WhileASearchRunsThePanelIsBusyAndTheQueueUnchanged) {
  FileTree tree;
  auto gate = std::make_shared<GatedFileSystem>();
  QDLQueueInstallFileSystem(gate);
  QDLFileQueuePanel& panel = makePanel();
  panel.panel()->makeKeyAndOrderFront();
  toolkit::ModalResponder::shared().answerNextFilePanel({true, {tree.folder("f")}});
  makeDrawings(tree, "f", 3);
  ASSERT_EQ(toolkit::clickView(*panel.editingControls()[1]), "");  // add folder
  gate->waitUntilEntered();
  EXPECT_NE(panel.discovery(), nullptr);
  EXPECT_EQ(panel.status()->stringValue(), "正在扫描文件，可取消；原队列保持不变。");
  EXPECT_EQ(panel.cancelButton()->title(), "取消扫描");
  EXPECT_TRUE(panel.cancelButton()->isEnabled());
  EXPECT_FALSE(panel.startButton()->isEnabled());
  EXPECT_TRUE(panel.revealButton()->isEnabled());
  for (const auto& control : panel.editingControls()) EXPECT_FALSE(control->isEnabled()) << control->identifier();
  EXPECT_TRUE(panel.items().empty());
  // A second scan does not start; the main thread goes on with its own work meanwhile.
  panel.scanURLs({tree / "f"}, false);
  foundation::MainQueue::main().drain();
  EXPECT_EQ(panel.scanWorkers().count(), 1u);
  const toolkit::FilePanelRecord& chooser = toolkit::ModalResponder::shared().filePanels().back();
  EXPECT_TRUE(chooser.canChooseDirectories);
  EXPECT_FALSE(chooser.canChooseFiles);

  gate->open();
  waitForScan(panel);
  EXPECT_EQ(panel.items().size(), 3u);
  EXPECT_EQ(panel.cancelButton()->title(), "停止队列");
  EXPECT_FALSE(panel.cancelButton()->isEnabled());
  EXPECT_EQ(panel.status()->stringValue(), "3 个 DWG；开始前检查已打开图纸。");
  EXPECT_EQ(panel.scanWorkers().count(), 0u) << "the finished thread is joined";
}

TEST_F(QueueTest, CancellingOrClosingDuringASearchLeavesTheQueueAsItWas) {
  FileTree tree;
  QDLFileQueuePanel& panel = makePanel();
  add(panel, {tree.file("kept.dwg")});
  makeDrawings(tree, "more", 5);
  for (const bool closing : {false, true}) {
    SCOPED_TRACE(closing ? "close" : "cancel");
    auto gate = std::make_shared<GatedFileSystem>();
    QDLQueueInstallFileSystem(gate);
    panel.panel()->makeKeyAndOrderFront();
    panel.addURLs({tree / "more"});
    gate->waitUntilEntered();
    if (closing) {
      ASSERT_EQ(toolkit::pressCloseButton(*panel.panel()), "");
      EXPECT_FALSE(panel.panel()->isVisible());
      EXPECT_EQ(panel.discovery(), nullptr) << "abandoned at once";
    } else {
      ASSERT_EQ(toolkit::clickView(*panel.cancelButton()), "");
      EXPECT_EQ(panel.status()->stringValue(), "正在取消扫描…");
      EXPECT_NE(panel.discovery(), nullptr) << "busy until the worker hands back";
    }
    gate->open();
    waitForScan(panel);
    for (int i = 0; i < 1000 && panel.scanWorkers().count() > 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      foundation::MainQueue::main().drain();
    }
    EXPECT_EQ(rowPaths(panel), std::vector<std::string>{tree / "kept.dwg"});
    EXPECT_EQ(panel.folderRoots().size(), 0u);
    EXPECT_EQ(panel.status()->stringValue(), "已取消扫描，原队列保持不变。");
    QDLQueueInstallFileSystem(nullptr);
  }
}

TEST_F(QueueTest, TheQueueHoldsAtMostAThousandRows) {
  FileTree tree;
  QDLFileQueuePanel& panel = makePanel();
  add(panel, {tree / "none"});
  EXPECT_TRUE(panel.items().empty());
  EXPECT_NE(panel.status()->stringValue().find(tree / "none"), std::string::npos) << panel.status()->stringValue();

  add(panel, makeDrawings(tree, "base", 990));
  ASSERT_EQ(panel.items().size(), 990u);
  add(panel, {tree.folder("eleven")});
  makeDrawings(tree, "eleven", 11);
  add(panel, {tree / "eleven"});
  EXPECT_EQ(panel.items().size(), 990u);
  EXPECT_EQ(panel.status()->stringValue(), "队列最多 1000 个 DWG。");
  EXPECT_EQ(panel.folderRoots().size(), 1u) << "the empty folder of the first add, not the refused one";

  std::remove((tree / "eleven/1000.dwg").c_str());
  add(panel, {tree / "eleven"});
  EXPECT_EQ(panel.items().size(), 1000u);

  add(panel, {tree.folder("over")});
  makeDrawings(tree, "over", 1001);
  useLanguage("en");
  add(panel, {tree / "over"});
  EXPECT_EQ(panel.items().size(), 1000u);
  EXPECT_EQ(panel.status()->stringValue(), "At most 1000 DWGs per batch; select a smaller folder.");
}

TEST_F(QueueTest, AFileChooserTakesSeveralDwgFilesAndTheSameFileIsQueuedOnce) {
  FileTree tree;
  QDLFileQueuePanel& panel = makePanel();
  const std::string plan = tree.file("x/plan.dwg");
  const std::string link = tree.hardLink("y/plan.dwg", plan);
  toolkit::ModalResponder::shared().answerNextFilePanel({true, {plan, link}});
  panel.addFiles();
  waitForScan(panel);
  EXPECT_EQ(rowPaths(panel), std::vector<std::string>{plan});
  const toolkit::FilePanelRecord& chooser = toolkit::ModalResponder::shared().filePanels().back();
  EXPECT_TRUE(chooser.allowsMultipleSelection);
  EXPECT_EQ(chooser.allowedFileTypes, std::vector<std::string>{"dwg"});
  add(panel, {tree / "y"});
  EXPECT_EQ(rowPaths(panel), std::vector<std::string>{plan});
  EXPECT_EQ(panel.status()->stringValue(), "1 个 DWG；开始前检查已打开图纸。");
}

TEST_F(QueueTest, UnloadDuringASearchCancelsItAndLeavesNoThread) {
  FileTree tree;
  makeDrawings(tree, "f", 2);
  const int before = threadCount();
  auto gate = std::make_shared<GatedFileSystem>();
  QDLQueueInstallFileSystem(gate);
  QDLFileQueuePanel& panel = makePanel();
  panel.addURLs({tree / "f"});
  gate->waitUntilEntered();
  EXPECT_EQ(threadCount(), before + 1);
  // Let the worker go only after unload has begun waiting for it.
  std::thread opener([gate] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    gate->open();
  });
  vexBatchQueuePanelShutdown();
  opener.join();
  EXPECT_EQ(gBatchFilePanel, nullptr);
  EXPECT_EQ(threadCount(), before);
  // Nothing of the search is left for the main queue.
  EXPECT_EQ(foundation::MainQueue::main().pendingCount(), 0u);
}

TEST_F(QueueTest, AFolderThatCannotBeReadIsReportedAndChangesNothing) {
  FileTree tree;
  makeDrawings(tree, "top/locked", 2);
  auto faulty = std::make_shared<FaultyFileSystem>();
  faulty->folderFailures[tree / "top/locked"] = EACCES;
  QDLQueueInstallFileSystem(faulty);
  QDLFileQueuePanel& panel = makePanel();
  panel.recursive()->setState(toolkit::control_state::on);
  add(panel, {tree.file("top/a.dwg"), tree / "top"});
  EXPECT_TRUE(panel.items().empty());
  EXPECT_TRUE(panel.folderRoots().empty());
  EXPECT_NE(panel.status()->stringValue().find(tree / "top/locked"), std::string::npos);
}

}  // namespace
}  // namespace queue_test
