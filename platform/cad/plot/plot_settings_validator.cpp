#include "cad/plot/plot_settings_validator.h"

#include <cmath>
#include <limits>

#include "cad/database.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_device.h"
#include "cad/plot/plot_style_folders.h"
#include "cad/tables.h"

namespace cad {

namespace {

bool gAbsent = false;

PlotDevice* deviceOf(const PlotSettings& settings) {
  PlotConfigManager* manager = acplPlotConfigManagerPtr();
  return manager == nullptr ? nullptr : manager->device(settings.plotCfgName);
}

bool finite(std::initializer_list<double> values) {
  for (double v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

}  // namespace

void applyMedium(PlotSettings& settings, const Medium& medium) {
  settings.canonicalMediaName = medium.canonicalName;
  settings.paperWidthMm = medium.width;
  settings.paperHeightMm = medium.height;
  settings.marginLeft = medium.left;
  settings.marginBottom = medium.bottom;
  settings.marginRight = medium.right;
  settings.marginTop = medium.top;
}

const Medium* closestMedium(const PlotDevice& device, double widthMm, double heightMm, bool matchPrintableArea) {
  const Medium* best = nullptr;
  double bestDistance = std::numeric_limits<double>::infinity();
  for (const Medium& m : device.media()) {
    const double w = matchPrintableArea ? m.printableWidth() : m.width;
    const double h = matchPrintableArea ? m.printableHeight() : m.height;
    const double distance = std::fabs(w - widthMm) + std::fabs(h - heightMm);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = &m;
    }
  }
  return best;
}

void PlotSettingsValidator::log(const wchar_t* call, const std::wstring& detail) {
  calls.push_back(detail.empty() ? std::wstring(call) : std::wstring(call) + L" " + detail);
}

void PlotSettingsValidator::reset() {
  faults = {};
  calls.clear();
  styleSheets_.reset();
}

ErrorStatus PlotSettingsValidator::setPlotCfgName(PlotSettings* settings, const wchar_t* device,
                                                  const wchar_t* medium) {
  log(L"setPlotCfgName", device == nullptr ? L"" : device);
  if (faults.setPlotCfgName) return faults.failStatus;
  if (settings == nullptr || device == nullptr) return eInvalidInput;
  PlotConfigManager* manager = acplPlotConfigManagerPtr();
  const PlotDevice* target = manager == nullptr ? nullptr : manager->device(device);
  if (target == nullptr) return eInvalidInput;
  const Medium* chosen = nullptr;
  if (medium != nullptr && *medium != 0) {
    chosen = target->medium(medium);
    if (chosen == nullptr) return eInvalidInput;
  } else {
    chosen = target->medium(settings->canonicalMediaName);
    if (chosen == nullptr) chosen = target->defaultMedium();
  }
  settings->plotCfgName = target->name();
  if (chosen != nullptr) {
    applyMedium(*settings, *chosen);
  } else {
    applyMedium(*settings, Medium{});
  }
  return eOk;
}

ErrorStatus PlotSettingsValidator::setPlotPaperUnits(PlotSettings* settings, PlotPaperUnits units) {
  log(L"setPlotPaperUnits");
  if (faults.setPlotPaperUnits) return faults.failStatus;
  const int value = static_cast<int>(units);
  if (settings == nullptr || value < 0 || value > 2) return eInvalidInput;
  settings->paperUnits = units;
  return eOk;
}

ErrorStatus PlotSettingsValidator::refreshLists(PlotSettings* settings) {
  log(L"refreshLists");
  if (faults.refreshLists) return faults.failStatus;
  if (settings == nullptr) return eInvalidInput;
  styleSheets_ = plotStyleFileNames();
  return eOk;
}

ErrorStatus PlotSettingsValidator::canonicalMediaNameList(PlotSettings* settings, std::vector<std::wstring>& names) {
  log(L"canonicalMediaNameList");
  names.clear();
  if (faults.canonicalMediaNameList) return faults.failStatus;
  if (settings == nullptr) return eInvalidInput;
  const PlotDevice* device = deviceOf(*settings);
  if (device == nullptr) return eInvalidInput;
  for (const Medium& m : device->media()) names.push_back(m.canonicalName);
  return eOk;
}

ErrorStatus PlotSettingsValidator::setCanonicalMediaName(PlotSettings* settings, const wchar_t* name) {
  log(L"setCanonicalMediaName", name == nullptr ? L"" : name);
  if (faults.setCanonicalMediaName) return faults.failStatus;
  if (settings == nullptr || name == nullptr) return eInvalidInput;
  const PlotDevice* device = deviceOf(*settings);
  const Medium* medium = device == nullptr ? nullptr : device->medium(name);
  if (medium == nullptr) return eInvalidInput;
  applyMedium(*settings, *medium);
  return eOk;
}

ErrorStatus PlotSettingsValidator::setClosestMediaName(PlotSettings* settings, double width, double height,
                                                       PlotPaperUnits units, bool matchPrintableArea) {
  log(L"setClosestMediaName");
  if (faults.setClosestMediaName) return faults.failStatus;
  if (settings == nullptr || !finite({width, height}) || width <= 0 || height <= 0) return eInvalidInput;
  double scale = 1;
  if (units == PlotPaperUnits::kInches) {
    scale = 25.4;
  } else if (units != PlotPaperUnits::kMillimeters) {
    return eInvalidInput;  // a PDF sheet has no size in pixels
  }
  const PlotDevice* device = deviceOf(*settings);
  const Medium* medium =
      device == nullptr ? nullptr : closestMedium(*device, width * scale, height * scale, matchPrintableArea);
  if (medium == nullptr) return eInvalidInput;
  applyMedium(*settings, *medium);
  return eOk;
}

ErrorStatus PlotSettingsValidator::setPlotRotation(PlotSettings* settings, PlotRotation rotation) {
  log(L"setPlotRotation");
  if (faults.setPlotRotation) return faults.failStatus;
  const int value = static_cast<int>(rotation);
  if (settings == nullptr || value < 0 || value > 3) return eInvalidInput;
  settings->rotation = rotation;
  return eOk;
}

ErrorStatus PlotSettingsValidator::setPlotWindowArea(PlotSettings* settings, double xmin, double ymin, double xmax,
                                                     double ymax) {
  log(L"setPlotWindowArea");
  if (faults.setPlotWindowArea) return faults.failStatus;
  if (settings == nullptr || !finite({xmin, ymin, xmax, ymax}) || xmin >= xmax || ymin >= ymax) return eInvalidInput;
  settings->windowMin = {xmin, ymin};
  settings->windowMax = {xmax, ymax};
  return eOk;
}

ErrorStatus PlotSettingsValidator::setPlotType(PlotSettings* settings, PlotType type) {
  log(L"setPlotType");
  if (faults.setPlotType) return faults.failStatus;
  const int value = static_cast<int>(type);
  if (settings == nullptr || value < 0 || value > 5 || type == PlotType::kView) return eInvalidInput;
  if (type == PlotType::kWindow &&
      !(settings->windowMin.x < settings->windowMax.x && settings->windowMin.y < settings->windowMax.y)) {
    return eInvalidInput;
  }
  settings->type = type;
  return eOk;
}

ErrorStatus PlotSettingsValidator::setPlotCentered(PlotSettings* settings, bool centered) {
  log(L"setPlotCentered");
  if (faults.setPlotCentered) return faults.failStatus;
  if (settings == nullptr) return eInvalidInput;
  settings->centered = centered;
  return eOk;
}

ErrorStatus PlotSettingsValidator::setUseStandardScale(PlotSettings* settings, bool use) {
  log(L"setUseStandardScale");
  if (faults.setUseStandardScale) return faults.failStatus;
  if (settings == nullptr) return eInvalidInput;
  settings->useStdScale = use;
  return eOk;
}

ErrorStatus PlotSettingsValidator::setStdScaleType(PlotSettings* settings, StdScaleType type) {
  log(L"setStdScaleType");
  if (faults.setStdScaleType) return faults.failStatus;
  const int value = static_cast<int>(type);
  if (settings == nullptr || value < 0 || value > kLastStdScaleType) return eInvalidInput;
  settings->standardScaleType = value;
  return eOk;
}

const std::vector<std::wstring>& PlotSettingsValidator::styleSheets() {
  if (!styleSheets_) styleSheets_ = plotStyleFileNames();
  return *styleSheets_;
}

ErrorStatus PlotSettingsValidator::plotStyleSheetList(std::vector<std::wstring>& names) {
  log(L"plotStyleSheetList");
  names.clear();
  if (faults.plotStyleSheetList) return faults.failStatus;
  names = styleSheets();
  return eOk;
}

ErrorStatus PlotSettingsValidator::setCurrentStyleSheet(PlotSettings* settings, const wchar_t* name) {
  log(L"setCurrentStyleSheet", name == nullptr ? L"" : name);
  if (faults.setCurrentStyleSheet) return faults.failStatus;
  if (settings == nullptr || name == nullptr) return eInvalidInput;
  if (*name == 0) {
    settings->styleSheet.clear();
    return eOk;
  }
  for (const std::wstring& listed : styleSheets()) {
    if (namesEqual(listed, name)) {
      settings->styleSheet = faults.storeListedSpelling ? listed : std::wstring(name);
      return eOk;
    }
  }
  return eInvalidInput;
}

PlotSettingsValidator* HostApplicationServices::plotSettingsValidator() const {
  static auto* validator = new PlotSettingsValidator;
  return gAbsent ? nullptr : validator;
}

void setPlotSettingsValidatorAbsent(bool absent) { gAbsent = absent; }

}  // namespace cad
