#pragma once
// The host's plot progress dialog, headless: it records what it is told (texts by index, ranges, positions,
// sheet and plot events) and answers the cancel questions as a test scripts them. Records outlive the
// dialog, so a test reads them after the plot.

#include <map>
#include <string>
#include <vector>

namespace cad {

struct PlotProgressRecord {
  bool isPreview = false;
  int sheetCount = 0;
  bool showCancelSheetButton = false;
  std::map<int, std::wstring> messages;  // by index
  int plotLow = 0, plotHigh = 0, plotPos = 0;
  int sheetLow = 0, sheetHigh = 0, sheetPos = 0;
  int sheetsEnded = 0;
  std::vector<std::wstring> calls;  // every call in order, with its arguments
  bool destroyed = false;
};

// Test side: cancellation as a user would press the buttons; 0 never, k after the k-th sheet ended.
struct PlotProgressScript {
  int cancelPlotAfterSheet = 0;
  int cancelSheetAfterSheet = 0;
};

class PlotProgressDialog {
 public:
  enum PlotMSGIndex {
    kDialogTitle = 0,
    kSheetName = 1,
    kSheetNameToolTip = 2,
    kStatus = 3,
    kSheetSetProgressCaption = 4,
    kSheetProgressCaption = 5,
    kMsgCancelling = 6,
    kMsgCancellingCurrent = 7,
    kCancelSheetBtnMsg = 8,
    kCancelJobBtnMsg = 9,
    kMsgCount = 10
  };

  bool setPlotMsgString(int index, const wchar_t* text);
  std::wstring getPlotMsgString(int index) const;
  void setPlotProgressRange(int low, int high);
  void setPlotProgressPos(int pos);
  void setSheetProgressRange(int low, int high);
  void setSheetProgressPos(int pos);
  bool onBeginPlot();
  bool onEndPlot();
  bool onBeginSheet();
  bool onEndSheet();
  bool heartbeat();
  bool isPlotCancelled() const;
  bool isSheetCancelled() const;
  // Ends the dialog; the pointer is gone afterwards.
  void destroy();

  PlotProgressRecord& record() const;

 private:
  friend PlotProgressDialog* acplCreatePlotProgressDialog(void*, bool, int, void*, bool);
  explicit PlotProgressDialog(std::size_t record) : record_(record) {}
  ~PlotProgressDialog() = default;
  void log(std::wstring call) const;
  std::size_t record_;
};

// nullptr for a sheet count below 1.
PlotProgressDialog* acplCreatePlotProgressDialog(void* parent, bool isPreview, int sheetCount, void* callback = nullptr,
                                                 bool showCancelSheetButton = true);

// Test side
std::vector<PlotProgressRecord>& plotProgressRecords();  // one per dialog made, in order
PlotProgressScript& plotProgressScript();
void resetPlotProgress();

}  // namespace cad
