#pragma once
// The full batch-print panel: one window listing the sheets of the working drawing as rows, with every option of
// a batch print. The controller makes the controls and hands them, keyed by role, to the workspace, which lays
// them out; it keeps the rows, answers the sheet table and edits the list. Core creates the one instance on
// first use, shows, hides and reloads it, and releases it at unload. Its close button only hides it.
//
// Scripts find the window as "batchPrintPanel", each control by its role ("filter", "sort", "table"…), the
// toggle of the further output options as "moreSettings", the tiles' labels as "tile1Value", "tile1Detail"…,
// a table cell as its column and its shown position ("layout-3" is the name of the third row), the sidebar's
// pages as "homePage", "settingsPage" and "aboutPage", and the menu that switches to the compact panel as
// "edition".
//
// Main thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "core/print_source.h"
#include "panels/batch_print_row.h"
#include "recognition/page_spec.h"
#include "toolkit/table_view.h"
#include "toolkit/window.h"
#include "ui/modern_workspace.h"

namespace toolkit {
class Button;
class PopUpButton;
class SearchField;
class SegmentedControl;
class TextField;
}  // namespace toolkit

class QDLApplicationPanel;
class QDLPathField;
class QDLModernButton;

class VexBatchPrintPanelController final : public toolkit::WindowDelegate,
                                           public toolkit::TableViewDataSource,
                                           public toolkit::TableViewDelegate {
 public:
  // Reads the saved settings into the recognition globals and the controls, and builds the window (not shown).
  VexBatchPrintPanelController();
  ~VexBatchPrintPanelController() override;
  VexBatchPrintPanelController(const VexBatchPrintPanelController&) = delete;
  VexBatchPrintPanelController& operator=(const VexBatchPrintPanelController&) = delete;

  // Rebuilds the rows of the selected source from recognition, keeping the manual rows while the drawing stays.
  void reloadFromActiveDrawing();
  // Refills the plot-style pop-up with the styles the drawing can use and keeps the saved choice where it can.
  void reloadPlotStylesForActiveDrawing();

  // The list: all rows in the chosen order; the shown rows rebuilt from them by order and filter.
  VexBatchPrintRows orderedOutputRows() const;
  void applyFilterAndSort();
  void sortModeChanged();
  void filterChanged();
  void paperModeChanged();
  // The scale field clamped to 1..100, written back and saved.
  std::int64_t validatedContentScalePercent();
  void contentScalePercentChanged();
  void applyScaleToSelectedRows();
  void applyPaperToSelectedRows();
  void selectAll();
  void selectNone();
  // The sender's tag is the row's index in the shown rows.
  void toggleRow(toolkit::Control& sender);
  void renameRow(toolkit::Control& sender);
  void moveUp();
  void moveDown();
  void removeSelected();
  void restoreRemoved();

  // The source and the layout scope: both reload the list, the source through a rescan by the host.
  void sourceModeChanged();
  void layoutScopeChanged();

  // The sheet table.
  long numberOfRowsInTableView(toolkit::TableView& table) override;
  std::shared_ptr<toolkit::View> viewForTableColumn(toolkit::TableView& table, toolkit::TableColumn* column,
                                                    long row) override;
  // Fits the three text columns to the widest texts and to the space the window gives.
  void updateTableColumnWidths();

  // Which recognition is in force, on its label and its button.
  void updateRecognitionStatus();
  // The tiles, the summary line and the diagnostics line, from the rows and the last scans.
  void updateSummary();
  void updateWorkspaceStatistics();

  // The output options. The path field holds the one output path: a PDF when merged, a folder per sheet.
  void outputModeChanged();
  void outputLocationChanged();
  void plotStyleChanged();
  void nameTemplateChanged();
  void overwriteChanged();
  // Rewrites the path field from the location, the output mode and the drawing; stores nothing.
  void refreshResolvedOutputPath();
  // The "Custom folder" location only: a folder dialog per sheet, a save dialog when merged.
  void browseOutput();

  // Checks that the ticked sheets can be plotted where the path says; the result goes to the status line, and
  // to an alert when asked. True when nothing must be fixed first.
  bool runPreflightShowingDialog(bool showDialog);
  void preflight();

  // Staging: the print job (after a preflight), the one-sheet preview and the resume of an unfinished job. Each
  // hands its job to a host command and refuses while a plot runs or when the rows are of another drawing.
  VexBatchPrintPageSpec pageSpecForRow(const VexBatchPrintRow& row, unsigned outputIndex) const;
  void stagePrint();
  void previewSelected();
  void resumePendingJob();
  // Adopts the current drawing's unfinished job from its snapshot and offers it for resuming; after a run that
  // stopped, `outcome` says why, first in the status line.
  void refreshRecoveryState(const std::string& outcome = {});

  // Recognition choices and the requests that need the drawing: each is handed to a host command, whose
  // result comes back to the panel.
  void refreshRecognition();
  void automaticRecognition();
  void pickFrameLayer();
  void pickFrames();
  void pickFrameBlock();
  void selectPrintRange();
  void clearPrintRange();
  void recognitionOptionChanged();
  void focusSelected();
  void showPrintRanges();
  void addManualFrame();

  // Saves what the panel knows of the last scans as a JSON file the user chooses.
  void exportDiagnostics();

  // The ways to the other windows: the compact panel, the drawing-file queue and the start-command settings
  // through their host commands (the panel steps aside for the settings), the update check directly, and the
  // separate uninstaller application, found in the user's Applications folder, or an alert saying why not.
  void switchToLite();
  void showFileQueue();
  void checkUpdates();
  void showCommandSettings();
  void uninstallPlugin();

  // Hides instead of closing.
  bool windowShouldClose(toolkit::Window& window) override;
  void windowDidResize(toolkit::Window& window) override;

  const std::shared_ptr<QDLApplicationPanel>& panel() const { return panel_; }
  const std::shared_ptr<QDLModernWorkspace>& workspace() const { return workspace_; }
  const std::shared_ptr<toolkit::TableView>& table() const { return table_; }
  VexBatchPrintRows& allRows() { return allRows_; }
  VexBatchPrintRows& rows() { return rows_; }
  VexBatchPrintRows& manualRows() { return manualRows_; }
  VexBatchPrintRows& removedRows() { return removedRows_; }
  std::uint64_t blankExcludedCount() const { return blankExcludedCount_; }
  const std::string& drawingKey() const { return drawingKey_; }

  const std::shared_ptr<toolkit::SegmentedControl>& sourceMode() const { return sourceMode_; }
  const std::shared_ptr<toolkit::TextField>& recognitionStatusLabel() const { return recognitionStatusLabel_; }
  const std::shared_ptr<toolkit::SegmentedControl>& outputMode() const { return outputMode_; }
  const std::shared_ptr<toolkit::SegmentedControl>& sortMode() const { return sortMode_; }
  const std::shared_ptr<toolkit::SegmentedControl>& layoutScope() const { return layoutScope_; }
  const std::shared_ptr<toolkit::SearchField>& filterField() const { return filterField_; }
  const std::shared_ptr<toolkit::PopUpButton>& paperMode() const { return paperMode_; }
  const std::shared_ptr<toolkit::TextField>& contentScalePercentField() const { return contentScalePercentField_; }
  const std::shared_ptr<toolkit::PopUpButton>& plotStyleMode() const { return plotStyleMode_; }
  const std::shared_ptr<toolkit::PopUpButton>& outputLocationMode() const { return outputLocationMode_; }
  const std::shared_ptr<QDLPathField>& outputPath() const { return outputPath_; }
  const std::shared_ptr<QDLModernButton>& browseOutputButton() const { return browseOutputButton_; }
  const std::shared_ptr<toolkit::TextField>& nameTemplate() const { return nameTemplate_; }
  const std::shared_ptr<toolkit::Button>& overwriteButton() const { return overwriteButton_; }
  const std::shared_ptr<toolkit::Button>& includeNonPlottableButton() const { return includeNonPlottableButton_; }
  const std::shared_ptr<toolkit::Button>& excludeBlankRectanglesButton() const {
    return excludeBlankRectanglesButton_;
  }
  const std::shared_ptr<QDLModernButton>& previewButton() const { return previewButton_; }
  const std::shared_ptr<QDLModernButton>& preflightButton() const { return preflightButton_; }
  const std::shared_ptr<QDLModernButton>& resumeButton() const { return resumeButton_; }
  const std::shared_ptr<QDLModernButton>& exportButton() const { return exportButton_; }
  const std::shared_ptr<toolkit::TextField>& headingLabel() const { return headingLabel_; }
  const std::shared_ptr<toolkit::TextField>& summaryLabel() const { return summaryLabel_; }
  const std::shared_ptr<toolkit::TextField>& diagnosticsLabel() const { return diagnosticsLabel_; }
  const std::shared_ptr<toolkit::TextField>& statusLabel() const { return statusLabel_; }

 private:
  QDLControls makeControls();
  // Gives the controls of the output, staging and recognition requests their actions.
  void wireActions();
  // Refusals of staging and of the requests: a plot running, or rows that are not of the drawing in front.
  bool refusedWhilePlotting();
  // The same refusal for a choice the user has just made on a control: the source, the scope and the two
  // recognition options go back to what the rows were loaded with, and nothing is stored.
  bool choiceRefusedWhilePlotting();
  bool refusedForOtherDrawing();
  // A request the host carries out: the prompt in the status line, the panel out of sight, the command queued.
  void handOff(const std::string& prompt, const char* command);
  void makeTable(QDLControls& controls);
  void buildWindow();
  // The status line, with the beep of a refusal.
  void refuse(const std::string& text);
  void showStatus(const std::string& text);
  void reloadModelRows();
  void reloadLayoutRows(const std::wstring& currentLayout, bool currentOnly);
  void countBlankFrames(const std::wstring& currentLayout, bool currentOnly);
  bool listIsReorderable() const;
  void moveSelectedRow(long by);
  // The shown rows whose indexes the table highlights.
  VexBatchPrintRows highlightedRows() const;
  // The text's width in the system font, as the column fit measures it.
  double measuredWidth(const std::string& text);

  std::shared_ptr<QDLApplicationPanel> panel_;
  std::shared_ptr<QDLModernWorkspace> workspace_;
  std::shared_ptr<toolkit::TableView> table_;
  VexBatchPrintRows allRows_;
  VexBatchPrintRows rows_;
  VexBatchPrintRows manualRows_;
  VexBatchPrintRows removedRows_;
  std::uint64_t blankExcludedCount_ = 0;
  std::string drawingKey_;
  // The source and scope segments the rows were last loaded for.
  long loadedSource_ = 0;
  long loadedScope_ = 0;
  std::unordered_map<std::string, double> measuredWidths_;
  const void* measuredBy_ = nullptr;

  std::shared_ptr<toolkit::SegmentedControl> sourceMode_;
  std::shared_ptr<toolkit::TextField> recognitionStatusLabel_;
  std::shared_ptr<toolkit::SegmentedControl> outputMode_;
  std::shared_ptr<toolkit::SegmentedControl> sortMode_;
  std::shared_ptr<toolkit::SegmentedControl> layoutScope_;
  std::shared_ptr<toolkit::SearchField> filterField_;
  std::shared_ptr<toolkit::PopUpButton> paperMode_;
  std::shared_ptr<toolkit::TextField> contentScalePercentField_;
  std::shared_ptr<toolkit::PopUpButton> plotStyleMode_;
  std::shared_ptr<toolkit::PopUpButton> outputLocationMode_;
  std::shared_ptr<QDLPathField> outputPath_;
  std::shared_ptr<QDLModernButton> browseOutputButton_;
  std::shared_ptr<toolkit::TextField> nameTemplate_;
  std::shared_ptr<toolkit::Button> overwriteButton_;
  std::shared_ptr<toolkit::Button> includeNonPlottableButton_;
  std::shared_ptr<toolkit::Button> excludeBlankRectanglesButton_;
  std::shared_ptr<QDLModernButton> previewButton_;
  std::shared_ptr<QDLModernButton> preflightButton_;
  std::shared_ptr<QDLModernButton> resumeButton_;
  std::shared_ptr<QDLModernButton> exportButton_;
  std::shared_ptr<toolkit::TextField> headingLabel_;
  std::shared_ptr<toolkit::TextField> summaryLabel_;
  std::shared_ptr<toolkit::TextField> diagnosticsLabel_;
  std::shared_ptr<toolkit::TextField> statusLabel_;
};

// The one full panel, null until first needed and again after unload.
extern std::unique_ptr<VexBatchPrintPanelController> gBatchPrintPanelController;

// The controller, created on first use.
VexBatchPrintPanelController& ensureBatchPrintPanel();

// What core's lifecycle does with the full panel (through the hand-offs the panels install). Show: with
// `followSpace`, the source follows the space the user works in and the application comes to the front; the
// rows are reloaded, the window made key and the columns fitted.
void vexBatchFullPanelShow(bool followSpace);
void vexBatchFullPanelHide();
bool vexBatchFullPanelVisible();
// Creates the panel if needed and shows its batch-print page.
void vexBatchFullPanelShowHome();
// At unload: closes the window and releases the controller.
void vexBatchFullPanelShutdown();

// A frame added by hand: the full panel (created on first use) takes it as a new checked row, its two corners
// in either order and its layout name (empty in model space), and comes to the front with the application.
void addManualFrameToFullPanel(VexBatchPrintSource source, const std::string& layoutName, double minX, double minY,
                               double maxX, double maxY);
