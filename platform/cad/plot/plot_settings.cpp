#include "cad/plot/plot_settings.h"

#include "cad/rx_class_definition.h"

namespace cad {

ErrorStatus PlotSettings::copyFrom(const PlotSettings* other) {
  if (other == nullptr) return eInvalidInput;
  if (other->settingsFaults.copyFrom) return eNotApplicable;
  static_cast<PlotSettingsFields&>(*this) = *other;
  return eOk;
}

ErrorStatus PlotSettings::getPlotSettingsName(const wchar_t*& name) const {
  name = plotSettingsName.c_str();
  return eOk;
}

ErrorStatus PlotSettings::getPlotCfgName(const wchar_t*& name) const {
  if (failCfgName) {
    name = nullptr;
    return eNotApplicable;
  }
  name = plotCfgName.c_str();
  return eOk;
}

ErrorStatus PlotSettings::getCanonicalMediaName(const wchar_t*& name) const {
  name = canonicalMediaName.c_str();
  return eOk;
}

ErrorStatus PlotSettings::getPlotPaperSize(double& width, double& height) const {
  if (settingsFaults.paperSize) return eNotApplicable;
  width = paperWidthMm;
  height = paperHeightMm;
  return eOk;
}

ErrorStatus PlotSettings::getPlotPaperMargins(double& left, double& bottom, double& right, double& top) const {
  if (settingsFaults.margins) return eNotApplicable;
  left = marginLeft;
  bottom = marginBottom;
  right = marginRight;
  top = marginTop;
  return eOk;
}

ErrorStatus PlotSettings::getPlotWindowArea(double& xmin, double& ymin, double& xmax, double& ymax) const {
  if (settingsFaults.windowArea) return eNotApplicable;
  xmin = windowMin.x;
  ymin = windowMin.y;
  xmax = windowMax.x;
  ymax = windowMax.y;
  return eOk;
}

ErrorStatus PlotSettings::getCurrentStyleSheet(const wchar_t*& name) const {
  if (settingsFaults.styleSheet) {
    name = nullptr;
    return eNotApplicable;
  }
  name = styleSheet.c_str();
  return eOk;
}

ErrorStatus PlotSettings::getPlotOrigin(double& x, double& y) const {
  x = plotOrigin.x;
  y = plotOrigin.y;
  return eOk;
}

ErrorStatus PlotSettings::getCustomPrintScale(double& numerator, double& denominator) const {
  numerator = customScaleNumerator;
  denominator = customScaleDenominator;
  return eOk;
}

ErrorStatus PlotSettings::getStdScaleType(StdScaleType& scaleType) const {
  scaleType = stdScaleType();
  return eOk;
}

ErrorStatus PlotSettings::setPlotPlotStyles(bool on) {
  plotStyles = on;
  return eOk;
}

ErrorStatus PlotSettings::setShowPlotStyles(bool on) {
  showStyles = on;
  return eOk;
}

ErrorStatus PlotSettings::setPrintLineweights(bool on) {
  lineweights = on;
  return eOk;
}

ErrorStatus PlotSettings::setScaleLineweights(bool on) {
  lineweightScaling = on;
  return eOk;
}

ErrorStatus PlotSettings::setPlotSettingsName(const wchar_t* name) {
  if (name == nullptr) return eInvalidInput;
  plotSettingsName = name;
  return eOk;
}

QUODL_RX_CLASS(PlotSettings, L"AcDbPlotSettings")

}  // namespace cad
