#pragma once
// A stand-in host for the plot run and the jobs built on it: private per-user and temporary folders, a
// plot-styles folder, a sample drawing opened as the active document, and hooks into the engine's pages (to
// cancel through the progress window or break something while page k is drawn). PDFs are read back with qpdf
// (through the PDF document layer) and rendered with pdftoppm.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cad/database.h"
#include "host_fixture.h"
#include "plot/print_jobs.h"
#include "plot/progress_controller.h"
#include "recognition/page_spec.h"
#include "temp_folder.h"

namespace plot_jobs_test {

// A page's size as a viewer shows it (turned by its /Rotate), in millimetres.
struct PageSize {
  double width = 0;
  double height = 0;
};
std::vector<PageSize> pageSizes(const std::string& pdf);
// Whether two sizes agree within the 0.01 pt the normalisation allows.
bool sameSize(PageSize a, PageSize b);

std::string narrow(const std::wstring& text);
// The names in a folder, sorted; none when it is not a folder.
std::vector<std::string> entries(const std::string& folder);

// The share of inked pixels (visibly darker than paper) of a page (1-based) rendered at low resolution, inside
// a rectangle given in millimetres from the page's lower-left corner as a viewer shows it.
double inkShare(const std::string& pdf, int page, double x, double y, double width, double height);

// The share of a page's pixels (1-based page, rendered in colour at low resolution) that are visibly coloured
// rather than grey.
double colouredShare(const std::string& pdf, int page);

class PlotJobTest : public HostTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Reads a drawing of samples/ and opens it as the active document.
  cad::Database& openSample(const std::string& fileName);
  // Every paper-space sheet as the job-page builder finds it.
  static std::vector<VexBatchPrintPageSpec> layoutPages();
  // Every model-space frame as the full panel stages it: on the paper recognised for the frame (an A1 sheet
  // drawn at 1:100 is A1), numbered in reading order.
  static std::vector<VexBatchPrintPageSpec> modelFramePages();
  // A path in the test's folder.
  std::string path(const std::string& name) const { return *folder_ / name; }
  std::wstring widePath(const std::string& name) const;
  // What a run left in the test's temporary folder, sorted, less the layout scan's trace file, which every scan
  // keeps there on purpose.
  std::vector<std::string> workFilesLeft() const;

  // Stages the pages as the full panel does: the job in the process-wide record, its snapshot "pending".
  void stage(std::vector<VexBatchPrintPageSpec> pages, bool merged, const std::string& output, bool overwrite = false);

  // Runs `action` while the engine draws its k-th page (1-based, counted from the start of the test or the last
  // restart of the count).
  void onPage(int k, std::function<void()> action) { pageActions_[k] = std::move(action); }
  // Counts pages from 0 again and forgets the page actions.
  void restartPageCount();
  // Progress windows are made by `maker` (the panels' real window, say) instead of a window that shows nothing;
  // they are still counted among progressWindows().
  static void makeProgressWindowsWith(VexBatchPrintProgressWindowMaker maker);
  // Presses the cancel button of the newest progress window while page k is drawn.
  void cancelOnPage(int k);
  // Presses the cancel button of a progress window as soon as it shows this stage text.
  static void cancelOnStage(const std::string& stage);
  // The progress windows made so far, oldest first.
  const std::vector<std::weak_ptr<VexBatchPrintProgressController>>& progressWindows() const;
  // Pages the engine drew since the start of the test.
  static int drawnPages();

  // The snapshot file as JSON text; empty when there is none.
  static std::string snapshotText();
  // The lines the command line shows that begin with `tag`.
  static std::vector<std::wstring> linesStartingWith(const std::wstring& tag);

  std::unique_ptr<TempFolder> folder_;
  cad::Database* db_ = nullptr;

 private:
  std::map<int, std::function<void()>> pageActions_;
};

}  // namespace plot_jobs_test
