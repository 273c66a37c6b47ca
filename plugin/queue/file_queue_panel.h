#pragma once
// The queue panel: the window in which the user gathers DWG files into a queue, sets the options of a queue
// run, starts and stops it and looks at its rows. One per process (gBatchFilePanel), created by DUZOZAREDFILES,
// hidden rather than closed by its close button, and closed at unload. Main thread only, but for the search
// for drawings, which runs on a worker thread of its own (QDLScanWorkers) and hands its result back on the main
// queue.
//
// The panel is busy while a run is active (setBusy) or a search runs (discovery() set); every action that
// changes the queue or the options does nothing then.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "queue/queue_rows.h"
#include "queue/scan_workers.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/table_view.h"
#include "toolkit/window.h"

namespace toolkit {
class Button;
class OpenPanel;
class ScrollView;
class SegmentedControl;
class TextField;
}  // namespace toolkit

class QDLApplicationPanel;
class QDLCompactLabel;
struct QDLQueueScanResult;

// A row's own plot-style pop-up; it holds the row it edits.
class QDLQueueStylePopup : public toolkit::PopUpButton {
 public:
  using PopUpButton::PopUpButton;
  QDLQueueRow queueItem;
};

class QDLFileQueuePanel final : public toolkit::WindowDelegate,
                                public toolkit::TableViewDataSource,
                                public toolkit::TableViewDelegate,
                                public std::enable_shared_from_this<QDLFileQueuePanel> {
 public:
  // The window and its controls, not shown. Scripts find the window as "fileQueuePanel".
  QDLFileQueuePanel();
  ~QDLFileQueuePanel() override;
  QDLFileQueuePanel(const QDLFileQueuePanel&) = delete;
  QDLFileQueuePanel& operator=(const QDLFileQueuePanel&) = delete;

  // Options and window.
  // Applies the saved options the first time (these values stand for missing ones) and refills the shared
  // style list every time, keeping the style chosen.
  void configureModel(bool modelSpace, long output, long paper, long scale, const std::string& style,
                      const std::vector<std::string>& availableStyles);
  // Saves the options; `sender` is the control that changed, nullptr when called from code.
  void optionsChanged(const toolkit::Control* sender);
  void updateSummary();
  void updateControls();
  void refresh();
  void setBusy(bool running);
  void chooseOutput();
  void cancel();
  bool windowShouldClose(toolkit::Window& window) override;
  void languageChanged();
  // Runs the open panel modally and brings the queue back to the front; returns the panel's response.
  long runFileChooser(toolkit::OpenPanel& chooser);
  bool isBusy() const { return running_ || discovery_ != nullptr; }

  // Rows.
  long numberOfRowsInTableView(toolkit::TableView& table) override;
  std::shared_ptr<toolkit::View> viewForTableColumn(toolkit::TableView& table, toolkit::TableColumn* column,
                                                    long row) override;
  void selectionDidChange(toolkit::TableView& table) override;
  void fileStyleChanged(QDLQueueStylePopup& popup);
  void sortFiles();
  void moveUp() { moveSelected(false); }
  void moveDown() { moveSelected(true); }
  void moveSelected(bool down);
  void remove();
  void start();
  void revealOutputs();

  // Discovery.
  void addFiles();
  void addFolder();
  void addURLs(const std::vector<std::string>& paths);
  void recursiveChanged();
  void scanURLs(const std::vector<std::string>& paths, bool preservingRemovals);
  // Abandons a running search at once; its result, when it comes, is ignored.
  void invalidateDiscovery();

  // What the run reads and sets.
  const std::shared_ptr<QDLApplicationPanel>& panel() const { return panel_; }
  const std::shared_ptr<toolkit::TableView>& table() const { return table_; }
  const std::shared_ptr<toolkit::ScrollView>& scrollView() const { return scrollView_; }
  std::vector<QDLQueueRow>& items() { return items_; }
  const std::vector<std::string>& folderRoots() const { return folderRoots_; }
  const std::set<std::string>& removedPaths() const { return removedPaths_; }
  const std::vector<std::shared_ptr<toolkit::Control>>& editingControls() const { return editingControls_; }
  const std::shared_ptr<toolkit::Button>& recursive() const { return recursive_; }
  const std::shared_ptr<toolkit::Button>& startButton() const { return startButton_; }
  const std::shared_ptr<toolkit::Button>& cancelButton() const { return cancelButton_; }
  const std::shared_ptr<toolkit::Button>& revealButton() const { return revealButton_; }
  const std::shared_ptr<QDLCompactLabel>& status() const { return status_; }
  const std::shared_ptr<QDLCompactLabel>& configuration() const { return configuration_; }
  const std::shared_ptr<toolkit::SegmentedControl>& sourceMode() const { return sourceMode_; }
  const std::shared_ptr<toolkit::PopUpButton>& outputMode() const { return outputMode_; }
  const std::shared_ptr<toolkit::PopUpButton>& paperMode() const { return paperMode_; }
  const std::shared_ptr<toolkit::PopUpButton>& plotStyleMode() const { return plotStyleMode_; }
  const std::shared_ptr<toolkit::TextField>& scaleField() const { return scaleField_; }
  const std::shared_ptr<toolkit::PopUpButton>& fileOrder() const { return fileOrder_; }
  const std::shared_ptr<toolkit::PopUpButton>& pageOrder() const { return pageOrder_; }
  const std::shared_ptr<toolkit::Button>& moveUpButton() const { return moveUp_; }
  const std::shared_ptr<toolkit::Button>& moveDownButton() const { return moveDown_; }
  const std::vector<std::string>& availableStyles() const { return availableStyles_; }
  bool configured() const { return configured_; }
  const std::string& outputRoot() const { return outputRoot_; }
  void setOutputRoot(const std::string& path) { outputRoot_ = path; }
  const std::string& lastOutputRoot() const { return lastOutputRoot_; }
  void setLastOutputRoot(const std::string& path) { lastOutputRoot_ = path; }
  void setStartHandler(std::function<void()> handler) { startHandler_ = std::move(handler); }
  void setCancelHandler(std::function<void()> handler) { cancelHandler_ = std::move(handler); }
  bool running() const { return running_; }
  const std::shared_ptr<QDLScanToken>& discovery() const { return discovery_; }
  // The search threads not joined yet.
  const QDLScanWorkers& scanWorkers() const { return workers_; }
  // The represented style of the shared-style pop-up's selected item; empty for the drawings' own.
  std::string uniformStyle() const;
  void setStatus(const std::string& text);

 private:
  std::shared_ptr<toolkit::Button> button(const std::string& title, const std::string& id,
                                          std::function<void(QDLFileQueuePanel&)> action, double x, double y, double w,
                                          bool editing = true);
  void label(const std::string& text, double x, double y, double w);
  std::shared_ptr<toolkit::PopUpButton> popup(const std::vector<std::string>& items, const std::string& id, double x,
                                              double y, double w);
  void buildTable();
  void fillStylePopup(toolkit::PopUpButton& popup, const std::vector<std::string>& names, const std::string& selected);
  std::shared_ptr<toolkit::View> textCell(const std::string& column, long row);
  std::shared_ptr<toolkit::View> styleCell(long row);
  std::string styleToolTip(const QDLQueueItem& item) const;
  void finishScan(const std::shared_ptr<QDLScanToken>& token, QDLQueueScanResult& result);
  void showQueueCount();
  void selectRows(const std::vector<QDLQueueRow>& rows);

  std::shared_ptr<QDLApplicationPanel> panel_;
  std::shared_ptr<toolkit::ScrollView> scrollView_;
  std::shared_ptr<toolkit::TableView> table_;
  std::vector<QDLQueueRow> items_;
  std::vector<std::string> folderRoots_;
  std::set<std::string> removedPaths_;
  std::vector<std::shared_ptr<toolkit::Control>> editingControls_;
  std::shared_ptr<toolkit::Button> recursive_;
  std::shared_ptr<toolkit::Button> startButton_;
  std::shared_ptr<toolkit::Button> cancelButton_;
  std::shared_ptr<toolkit::Button> revealButton_;
  std::shared_ptr<QDLCompactLabel> status_;
  std::shared_ptr<QDLCompactLabel> configuration_;
  std::shared_ptr<toolkit::SegmentedControl> sourceMode_;
  std::shared_ptr<toolkit::PopUpButton> outputMode_;
  std::shared_ptr<toolkit::PopUpButton> paperMode_;
  std::shared_ptr<toolkit::PopUpButton> plotStyleMode_;
  std::shared_ptr<toolkit::TextField> scaleField_;
  std::shared_ptr<toolkit::PopUpButton> fileOrder_;
  std::shared_ptr<toolkit::PopUpButton> pageOrder_;
  std::shared_ptr<toolkit::Button> moveUp_;
  std::shared_ptr<toolkit::Button> moveDown_;
  std::vector<std::string> availableStyles_;
  bool configured_ = false;
  std::string outputRoot_;
  std::string lastOutputRoot_;
  std::function<void()> startHandler_;
  std::function<void()> cancelHandler_;
  bool running_ = false;
  std::shared_ptr<QDLScanToken> discovery_;
  QDLScanWorkers workers_;
};

// The one queue panel, null until DUZOZAREDFILES first shows it and again after unload.
extern std::shared_ptr<QDLFileQueuePanel> gBatchFilePanel;

// At unload: abandons a search, closes the window and releases the panel, waiting for its search threads.
void vexBatchQueuePanelShutdown();
