#include "cad/plot/plot_progress.h"

namespace cad {

std::vector<PlotProgressRecord>& plotProgressRecords() {
  static auto* records = new std::vector<PlotProgressRecord>;
  return *records;
}

PlotProgressScript& plotProgressScript() {
  static auto* script = new PlotProgressScript;
  return *script;
}

void resetPlotProgress() {
  plotProgressRecords().clear();
  plotProgressScript() = {};
}

PlotProgressDialog* acplCreatePlotProgressDialog(void*, bool isPreview, int sheetCount, void*,
                                                 bool showCancelSheetButton) {
  if (sheetCount < 1) return nullptr;
  PlotProgressRecord record;
  record.isPreview = isPreview;
  record.sheetCount = sheetCount;
  record.showCancelSheetButton = showCancelSheetButton;
  plotProgressRecords().push_back(std::move(record));
  return new PlotProgressDialog(plotProgressRecords().size() - 1);
}

PlotProgressRecord& PlotProgressDialog::record() const { return plotProgressRecords().at(record_); }

void PlotProgressDialog::log(std::wstring call) const { record().calls.push_back(std::move(call)); }

bool PlotProgressDialog::setPlotMsgString(int index, const wchar_t* text) {
  log(L"setPlotMsgString " + std::to_wstring(index));
  if (index < 0 || index >= kMsgCount || text == nullptr) return false;
  record().messages[index] = text;
  return true;
}

std::wstring PlotProgressDialog::getPlotMsgString(int index) const {
  const auto& messages = record().messages;
  const auto it = messages.find(index);
  return it == messages.end() ? std::wstring() : it->second;
}

void PlotProgressDialog::setPlotProgressRange(int low, int high) {
  log(L"setPlotProgressRange " + std::to_wstring(low) + L" " + std::to_wstring(high));
  record().plotLow = low;
  record().plotHigh = high;
}

void PlotProgressDialog::setPlotProgressPos(int pos) {
  log(L"setPlotProgressPos " + std::to_wstring(pos));
  record().plotPos = pos;
}

void PlotProgressDialog::setSheetProgressRange(int low, int high) {
  log(L"setSheetProgressRange " + std::to_wstring(low) + L" " + std::to_wstring(high));
  record().sheetLow = low;
  record().sheetHigh = high;
}

void PlotProgressDialog::setSheetProgressPos(int pos) {
  log(L"setSheetProgressPos " + std::to_wstring(pos));
  record().sheetPos = pos;
}

bool PlotProgressDialog::onBeginPlot() {
  log(L"onBeginPlot");
  return true;
}

bool PlotProgressDialog::onEndPlot() {
  log(L"onEndPlot");
  return true;
}

bool PlotProgressDialog::onBeginSheet() {
  log(L"onBeginSheet");
  return true;
}

bool PlotProgressDialog::onEndSheet() {
  log(L"onEndSheet");
  ++record().sheetsEnded;
  return true;
}

bool PlotProgressDialog::heartbeat() {
  log(L"heartbeat");
  return true;
}

bool PlotProgressDialog::isPlotCancelled() const {
  const int after = plotProgressScript().cancelPlotAfterSheet;
  return after > 0 && record().sheetsEnded >= after;
}

bool PlotProgressDialog::isSheetCancelled() const {
  const int after = plotProgressScript().cancelSheetAfterSheet;
  return after > 0 && record().sheetsEnded >= after;
}

void PlotProgressDialog::destroy() {
  log(L"destroy");
  record().destroyed = true;
  delete this;
}

}  // namespace cad
