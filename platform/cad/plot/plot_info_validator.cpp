#include "cad/plot/plot_info_validator.h"

#include <cwctype>
#include <memory>

#include "cad/database.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_device.h"
#include "cad/plot/plot_info.h"
#include "cad/plot/plot_settings_validator.h"
#include "cad/plot/plot_style_folders.h"
#include "cad/plot/plot_style_table.h"
#include "cad/tables.h"
#include "foundation/text.h"

namespace cad {

namespace {

void applyFaults(PlotSettings& s, const PlotDevice& device) {
  const PlotInfoValidatorFaults& f = plotInfoValidatorFaults();
  if (!f.switchMedium.empty()) {
    if (const Medium* m = device.medium(f.switchMedium)) applyMedium(s, *m);
  }
  if (f.clearCentered) s.centered = false;
  if (f.clearScaleToFit) s.standardScaleType = static_cast<int>(StdScaleType::k1_1);
  if (f.clearWindow) s.type = PlotType::kLayout;
  if (f.dropStyleSheet) s.styleSheet.clear();
  if (f.recaseStyleSheet) {
    for (wchar_t& c : s.styleSheet) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  }
  if (f.plotStylesOff) s.plotStyles = false;
  if (f.printLineweightsOff) s.lineweights = false;
  if (f.scaleLineweightsOn) s.lineweightScaling = true;
}

}  // namespace

PlotInfoValidatorFaults& plotInfoValidatorFaults() {
  static auto* faults = new PlotInfoValidatorFaults;
  return *faults;
}

ErrorStatus PlotInfoValidator::validate(PlotInfo& info) {
  failure_.clear();
  PlotInfoValidatorFaults& faults = plotInfoValidatorFaults();
  if (++faults.calls == faults.failOnCall) return faults.failStatus;

  Layout* layout = nullptr;
  if (const ErrorStatus es = acdbOpenObject(layout, info.layout(), kForRead); es != eOk) return es;
  const PlotSettings* base = info.overrideSettings() != nullptr ? info.overrideSettings() : layout;
  auto validated = std::make_unique<PlotSettings>(layout->modelType());
  const ErrorStatus copied = validated->copyFrom(base);
  layout->close();
  if (copied != eOk) return copied;

  PlotConfigManager* manager = acplPlotConfigManagerPtr();
  const PlotDevice* device = manager == nullptr ? nullptr : manager->device(validated->plotCfgName);
  if (device == nullptr || device->media().empty()) return eInvalidInput;
  const Medium* medium = device->medium(validated->canonicalMediaName);
  if (medium == nullptr && policy_ != kMatchDisabled) {
    medium = closestMedium(*device, validated->paperWidthMm, validated->paperHeightMm, false);
  }
  if (medium == nullptr) return eInvalidInput;
  applyMedium(*validated, *medium);

  if (validated->type == PlotType::kView) return eInvalidInput;
  if (validated->type == PlotType::kWindow &&
      !(validated->windowMin.x < validated->windowMax.x && validated->windowMin.y < validated->windowMax.y)) {
    return eInvalidInput;
  }
  if (!validated->styleSheet.empty()) {
    const std::optional<std::string> path = plotStyleFilePath(validated->styleSheet);
    // A table the plot would draw with must be readable: a plot without it would be in the wrong colours.
    if (validated->plotStyles) {
      const std::string name = foundation::utf8FromWideLossy(validated->styleSheet);
      if (!path) {
        failure_ = "The plot-style table \"" + name + "\" is not in a plot-style folder";
        return eFileAccessErr;
      }
      if (const PlotStyleTableRead read = readPlotStyleTable(*path); !read.table) {
        failure_ = "Cannot use the plot-style table \"" + name + "\": " + read.error;
        return eFileAccessErr;
      }
    } else if (!path) {
      validated->styleSheet.clear();
    }
  }
  applyFaults(*validated, *device);
  info.validated_ = std::move(validated);
  return eOk;
}

}  // namespace cad
