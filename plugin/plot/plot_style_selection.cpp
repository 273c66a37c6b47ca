#include "plot/plot_style_selection.h"

#include "cad/command_line.h"
#include "cad/plot/plot_info.h"
#include "cad/plot/plot_settings.h"
#include "cad/plot/plot_settings_validator.h"
#include "plot/last_result.h"
#include "plot/plot_style_queries.h"

bool gBatchLiteFixedStyle = false;

namespace {

const wchar_t* yesNo(bool value) { return value ? L"YES" : L"NO"; }

// The style-related state of a settings object as read back from the host.
struct StyleReadBack {
  bool read = false;
  std::wstring name;
  bool plotStyles = false;
  bool printLineweights = false;
  bool scaleLineweights = false;
};

StyleReadBack readStyle(const cad::PlotSettings* settings) {
  StyleReadBack back;
  if (settings == nullptr) return back;
  const wchar_t* name = nullptr;
  back.read = settings->getCurrentStyleSheet(name) == cad::eOk;
  if (back.read && name != nullptr) back.name = name;
  back.plotStyles = settings->plotPlotStyles();
  back.printLineweights = settings->printLineweights();
  back.scaleLineweights = settings->scaleLineweights();
  return back;
}

}  // namespace

bool vexBatchApplyPlotStyle(cad::PlotSettingsValidator* validator, cad::PlotSettings* settings,
                            const std::wstring& styleName) {
  if (styleName.empty()) return true;
  if (!vexDuzozAredStyleMatchesCurrentDrawing(styleName)) {
    gBatchPrintLastError = L"Plot style type does not match the current drawing: " + styleName + L"; required=" +
                           vexBatchRequiredPlotStyleSuffix();
    return false;
  }
  if (validator == nullptr || settings == nullptr) {
    gBatchPrintLastError =
        L"Cannot apply plot style " + styleName + L" status=" + std::to_wstring(static_cast<int>(cad::eInvalidInput));
    return false;
  }
  settings->setPlotPlotStyles(true);
  const cad::ErrorStatus status = validator->setCurrentStyleSheet(settings, styleName.c_str());
  if (status != cad::eOk) {
    gBatchPrintLastError =
        L"Cannot apply plot style " + styleName + L" status=" + std::to_wstring(static_cast<int>(status));
    return false;
  }
  settings->setPlotPlotStyles(true);
  settings->setShowPlotStyles(true);
  settings->setPrintLineweights(true);
  if (gBatchLiteFixedStyle) settings->setScaleLineweights(false);

  const StyleReadBack back = readStyle(settings);
  if (back.read && back.name == styleName && back.plotStyles) {
    cad::acutPrintf(L"\nDUZOZAREDPLOTSTYLE requested=%ls actual=%ls plot=YES show=%ls", styleName.c_str(),
                    back.name.c_str(), yesNo(settings->showPlotStyles()));
    return true;
  }
  gBatchPrintLastError = L"Plot style verification failed: requested=" + styleName + L" actual=" + back.name +
                         L" enabled=" + yesNo(back.plotStyles);
  return false;
}

bool vexBatchFinalizeValidatedPlotStyle(cad::PlotInfo* plotInfo, cad::PlotSettingsValidator* validator,
                                        const cad::PlotSettings* overrideSettings, const std::wstring& styleName,
                                        const std::wstring& pageName,
                                        std::unique_ptr<cad::PlotSettings>& repairedSlot) {
  if (styleName.empty()) return true;

  const cad::PlotSettings* validated = plotInfo == nullptr ? nullptr : plotInfo->validatedSettings();
  StyleReadBack back = readStyle(validated);
  const bool good = back.read && back.name == styleName && back.plotStyles &&
                    (!gBatchLiteFixedStyle || (back.printLineweights && !back.scaleLineweights));

  if (!good) {
    const cad::PlotSettings* base = validated != nullptr ? validated : overrideSettings;
    if (base == nullptr || validator == nullptr || plotInfo == nullptr) {
      gBatchPrintLastError = L"Validated plot settings unavailable for " + pageName;
      return false;
    }
    repairedSlot = std::make_unique<cad::PlotSettings>(base->modelType());
    if (repairedSlot->copyFrom(base) != cad::eOk) {
      gBatchPrintLastError = L"Cannot repair validated plot style for " + pageName;
      return false;
    }
    if (!vexBatchApplyPlotStyle(validator, repairedSlot.get(), styleName)) return false;  // its text stands
    const cad::ErrorStatus status = plotInfo->setValidatedSettings(repairedSlot.get());
    if (status != cad::eOk) {
      gBatchPrintLastError = L"Cannot commit validated plot style for " + pageName + L" status=" +
                             std::to_wstring(static_cast<int>(status));
      return false;
    }
    back = readStyle(plotInfo->validatedSettings());
  }

  if (back.read && back.name == styleName && back.plotStyles && back.printLineweights &&
      (!gBatchLiteFixedStyle || !back.scaleLineweights)) {
    cad::acutPrintf(
        L"\nDUZOZAREDPLOTSTYLEVALIDATED page=%ls requested=%ls actual=%ls plot=YES lineweights=YES repaired=%ls",
        pageName.c_str(), styleName.c_str(), back.name.c_str(), yesNo(!good));
    return true;
  }
  gBatchPrintLastError = L"Final plot style mismatch for " + pageName + L": requested=" + styleName + L" actual=" +
                         back.name + L" enabled=" + yesNo(back.plotStyles) + L" lineweights=" +
                         yesNo(back.printLineweights);
  return false;
}
