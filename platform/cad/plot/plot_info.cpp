#include "cad/plot/plot_info.h"

#include "cad/plot/plot_settings.h"

namespace cad {

PlotInfo::PlotInfo() = default;
PlotInfo::~PlotInfo() = default;

void PlotInfo::setLayout(ObjectId layout) {
  layout_ = layout;
  validated_.reset();
}

void PlotInfo::setOverrideSettings(const PlotSettings* settings) {
  override_ = settings;
  validated_.reset();
}

void PlotInfo::setOrgFilePath(const wchar_t* path) { orgFilePath_ = path == nullptr ? L"" : path; }

ErrorStatus PlotInfo::setValidatedSettings(const PlotSettings* settings) {
  if (faults.setValidatedSettings) return eNotApplicable;
  if (settings == nullptr) return eInvalidInput;
  auto copy = std::make_unique<PlotSettings>(settings->modelType());
  if (const ErrorStatus es = copy->copyFrom(settings); es != eOk) return es;
  validated_ = std::move(copy);
  return eOk;
}

}  // namespace cad
