#pragma once
// The progress window of one plot job: the page total and the pages done, the stage, page and sheet-name lines,
// and the user's wish to stop, which the plot loops poll between pages. The window never stops a plot itself.
// Whoever makes a controller owns it; a success keeps it alive for the 0.8 s its window shows the result.
//
// The window stands above the plot pipeline: the panels install a maker for it at start-up. Without one the
// controller keeps its counts, texts and flags all the same, so a job runs, and can be cancelled, through it.
// Main thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class VexBatchPrintProgressController;

// What the controller shows its state through. Each call sets what it names and nothing else.
class VexBatchPrintProgressWindow {
 public:
  virtual ~VexBatchPrintProgressWindow() = default;
  // Centres the window, activates the application, makes the window key and brings it to the front, and starts
  // the ring's animation.
  virtual void present() = 0;
  virtual void setStageText(const std::string& text) = 0;
  virtual void setDetailText(const std::string& text) = 0;
  virtual void setDetailToolTip(const std::string& text) = 0;
  virtual void setCompletedText(const std::string& text) = 0;
  virtual void setRingProgress(std::int64_t completed, std::int64_t total) = 0;
  virtual void showRingSuccess() = 0;
  virtual void setCancelEnabled(bool enabled) = 0;
  // Redraws now what needs it.
  virtual void display() = 0;
  // Hands the pending layer changes on at once.
  virtual void flushLayers() = 0;
  // Stops telling the controller anything, stops the ring, orders the window out and closes it.
  virtual void close() = 0;
};

// Makes the window of a new controller, not shown; the window reaches its controller only through the weak
// reference. An empty maker leaves controllers without a window.
using VexBatchPrintProgressWindowMaker = std::function<std::unique_ptr<VexBatchPrintProgressWindow>(
    const std::weak_ptr<VexBatchPrintProgressController>& controller)>;
void vexBatchSetProgressWindowMaker(VexBatchPrintProgressWindowMaker maker);

class VexBatchPrintProgressController : public std::enable_shared_from_this<VexBatchPrintProgressController> {
 public:
  // A controller for a job of `total` pages (the whole job, pages done earlier included; below 1 counts as 1)
  // with its window built but not shown, 0 pages counted as done.
  static std::shared_ptr<VexBatchPrintProgressController> initWithTotalPages(std::int64_t total);
  // A window still open closes with its controller.
  ~VexBatchPrintProgressController();
  VexBatchPrintProgressController(const VexBatchPrintProgressController&) = delete;
  VexBatchPrintProgressController& operator=(const VexBatchPrintProgressController&) = delete;

  // Shows the window and pumps events once.
  void show();
  // A stage without a page, its text already translated; ignored once cancelled or closing. Pumps events.
  void showStage(const std::string& text);
  // The 1-based page about to be plotted (clamped to the total) and its name; counts the pages before it as
  // done. Ignored once cancelled or closing. Pumps events.
  void updatePage(std::int64_t page, const std::string& name);
  // Raises the pages done to `count` (clamped to 0 … total), never lowers them; ignored while closing. Does not
  // pump.
  void completePages(std::int64_t count);
  // What the cancel button, Escape and the close button do while the job runs: asks the plot to stop after the
  // current page. Ignored while closing. Does not pump.
  void cancelPrinting();
  // The close button: cancels while the job runs, closes once the window is closing; the window itself never
  // closes on it (false).
  bool windowShouldClose();
  // With success, every page done and no cancel: shows the success state and closes 0.8 s later on the main
  // queue. Otherwise closes at once. Ignored while closing.
  void finishWithSuccess(bool ok);
  // Closes the window at once.
  void finish();

  bool cancelled() const { return cancelled_; }
  bool closing() const { return closing_; }
  bool succeeded() const { return succeeded_; }
  std::int64_t totalPages() const { return totalPages_; }
  std::int64_t completedPages() const { return completedPages_; }
  // The texts as the window shows them, in the language of the moment they were set.
  const std::string& stageText() const { return stageText_; }
  const std::string& detailText() const { return detailText_; }
  const std::string& completedText() const { return completedText_; }
  // nullptr without a window maker.
  VexBatchPrintProgressWindow* window() const { return window_.get(); }

 private:
  explicit VexBatchPrintProgressController(std::int64_t total);
  void closeWindow();

  bool cancelled_ = false;
  bool closing_ = false;
  bool succeeded_ = false;
  bool windowClosed_ = false;
  std::int64_t totalPages_;
  std::int64_t completedPages_ = 0;
  std::string stageText_;
  std::string detailText_;
  std::string completedText_;
  std::unique_ptr<VexBatchPrintProgressWindow> window_;
};

// The progress window a plot makes for itself when its caller gave none: shown at once and finished on every
// way out, an exception included, with success only once that is reported.
class VexBatchPrintOwnProgress {
 public:
  // Uses `given`, or makes and shows a controller for `totalPages` when it is null.
  VexBatchPrintOwnProgress(VexBatchPrintProgressController* given, std::int64_t totalPages);
  ~VexBatchPrintOwnProgress();
  VexBatchPrintOwnProgress(const VexBatchPrintOwnProgress&) = delete;
  VexBatchPrintOwnProgress& operator=(const VexBatchPrintOwnProgress&) = delete;

  // The given controller or the own one.
  VexBatchPrintProgressController& controller() const { return *controller_; }
  // Finishes the own window now (the given one is its owner's to finish).
  void finishWithSuccess(bool success);

 private:
  std::shared_ptr<VexBatchPrintProgressController> own_;
  VexBatchPrintProgressController* controller_;
};

// At unload: success states still waiting for their delayed close close now.
void vexBatchCloseProgressWindows();
