#pragma once
// The host's plot-settings validator: the only way device, medium, paper units, rotation, plot area, type,
// scale and plot-style table of a settings object change, each change checked against the device. Every call
// is logged for tests, and each can be made to fail.

#include <optional>
#include <string>
#include <vector>

#include "cad/error_status.h"
#include "cad/plot/plot_settings.h"

namespace cad {

class PlotDevice;
struct Medium;

class PlotSettingsValidator {
 public:
  // Switches the device. Without a medium the settings keep theirs when the device has it, else take the
  // device's default. eInvalidInput for an unknown device or medium.
  ErrorStatus setPlotCfgName(PlotSettings* settings, const wchar_t* device, const wchar_t* medium = nullptr);
  ErrorStatus setPlotPaperUnits(PlotSettings* settings, PlotPaperUnits units);
  // Re-reads the plot-style tables; media lists are always current.
  ErrorStatus refreshLists(PlotSettings* settings);
  // The settings' device's canonical media names in catalogue order.
  ErrorStatus canonicalMediaNameList(PlotSettings* settings, std::vector<std::wstring>& names);
  // Takes the medium's size and margins. eInvalidInput when the device has no medium of that name.
  ErrorStatus setCanonicalMediaName(PlotSettings* settings, const wchar_t* name);
  // The medium nearest the size (orientation counts; with matchPrintableArea its printable area is
  // compared). Succeeds whenever the device has any medium, also when none has the size exactly.
  ErrorStatus setClosestMediaName(PlotSettings* settings, double width, double height, PlotPaperUnits units,
                                  bool matchPrintableArea);
  ErrorStatus setPlotRotation(PlotSettings* settings, PlotRotation rotation);
  // eInvalidInput unless xmin < xmax and ymin < ymax.
  ErrorStatus setPlotWindowArea(PlotSettings* settings, double xmin, double ymin, double xmax, double ymax);
  // A window plot needs a window area first; a view plot is not supported.
  ErrorStatus setPlotType(PlotSettings* settings, PlotType type);
  ErrorStatus setPlotCentered(PlotSettings* settings, bool centered);
  ErrorStatus setUseStandardScale(PlotSettings* settings, bool use);
  ErrorStatus setStdScaleType(PlotSettings* settings, StdScaleType type);
  // The plot-style tables of the plot-style folders as last read (read on first use and by refreshLists).
  ErrorStatus plotStyleSheetList(std::vector<std::wstring>& names);
  // A listed table (ignoring case), or empty for none. eInvalidInput for a table not listed.
  ErrorStatus setCurrentStyleSheet(PlotSettings* settings, const wchar_t* name);

  // Test side: calls that fail (with failStatus) whatever they are given.
  struct Faults {
    bool setPlotCfgName = false;
    bool setPlotPaperUnits = false;
    bool refreshLists = false;
    bool canonicalMediaNameList = false;
    bool setCanonicalMediaName = false;
    bool setClosestMediaName = false;
    bool setPlotRotation = false;
    bool setPlotWindowArea = false;
    bool setPlotType = false;
    bool setPlotCentered = false;
    bool setUseStandardScale = false;
    bool setStdScaleType = false;
    bool plotStyleSheetList = false;
    bool setCurrentStyleSheet = false;
    ErrorStatus failStatus = eNotApplicable;
    bool storeListedSpelling = false;  // setCurrentStyleSheet keeps the list's letter case, not the caller's
  } faults;
  // Every call in order: its name, and for named arguments a space and the name.
  std::vector<std::wstring> calls;
  void reset();

 private:
  void log(const wchar_t* call, const std::wstring& detail = {});
  const std::vector<std::wstring>& styleSheets();
  std::optional<std::vector<std::wstring>> styleSheets_;
};

// The medium's name, size and margins into the settings.
void applyMedium(PlotSettings& settings, const Medium& medium);
// The medium of `device` nearest the size in millimetres; nullptr when the device has none.
const Medium* closestMedium(const PlotDevice& device, double widthMm, double heightMm, bool matchPrintableArea);

// Test side: the host services answer without a validator.
void setPlotSettingsValidatorAbsent(bool absent);

}  // namespace cad
