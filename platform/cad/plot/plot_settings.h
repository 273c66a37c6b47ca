#pragma once
// Plot settings: what a layout (or a page setup held in memory) says about plotting it. The DXF reader fills
// a layout's from the drawing; the plot pipeline copies them and changes the copy through the plot-settings
// validator, which keeps device, medium, paper size and margins consistent.

#include <string>

#include "cad/error_status.h"
#include "cad/geometry.h"
#include "cad/object.h"

namespace cad {

enum class PlotPaperUnits { kInches = 0, kMillimeters = 1, kPixels = 2 };
enum class PlotRotation { k0degrees = 0, k90degrees = 1, k180degrees = 2, k270degrees = 3 };
enum class PlotType { kDisplay = 0, kExtents = 1, kLimits = 2, kView = 3, kWindow = 4, kLayout = 5 };
// Standard scales are numbered 0 to kLastStdScaleType; only the two the plot pipeline sets are named.
enum class StdScaleType { kScaleToFit = 0, k1_1 = 16 };
inline constexpr int kLastStdScaleType = 34;

// The fields a copy carries over. Sizes and margins are millimetres whatever the paper units; the paper size
// and margins are those of the medium, in the order of its name (not turned by the rotation).
struct PlotSettingsFields {
  std::wstring plotSettingsName;
  std::wstring plotCfgName;  // device
  std::wstring canonicalMediaName;
  double paperWidthMm = 0, paperHeightMm = 0;
  double marginLeft = 0, marginBottom = 0, marginRight = 0, marginTop = 0;
  Point2d plotOrigin;
  Point2d windowMin, windowMax;
  PlotPaperUnits paperUnits = PlotPaperUnits::kMillimeters;
  PlotRotation rotation = PlotRotation::k0degrees;
  PlotType type = PlotType::kLayout;
  std::wstring styleSheet;
  bool centered = false;
  bool useStdScale = true;
  double customScaleNumerator = 1, customScaleDenominator = 1;
  int standardScaleType = 0;
  bool plotStyles = true;          // plot with plot styles
  bool showStyles = false;         // show plot styles on the layout
  bool lineweights = true;         // print lineweights
  bool lineweightScaling = false;  // scale lineweights with the plot scale
};

class PlotSettings : public Object, public PlotSettingsFields {
 public:
  explicit PlotSettings(bool modelType = false) : PlotSettings(ObjectKind::kPlotSettings, modelType) {}
  static auto cast(auto* object) {
    return kindCast<PlotSettings>(object, ObjectKind::kPlotSettings, ObjectKind::kEntity);
  }

  bool model = false;        // fixed when made: copies keep their own
  bool failCfgName = false;  // test hook
  // Test side: make reads of these settings, and copies made from them, fail.
  struct SettingsFaults {
    bool copyFrom = false;
    bool paperSize = false;
    bool margins = false;
    bool windowArea = false;
    bool styleSheet = false;
  } settingsFaults;

  // Every plot field of `other` (a layout's or another settings object's), not the model type.
  ErrorStatus copyFrom(const PlotSettings* other);

  bool modelType() const { return model; }
  ErrorStatus getPlotSettingsName(const wchar_t*& name) const;
  ErrorStatus getPlotCfgName(const wchar_t*& name) const;
  ErrorStatus getCanonicalMediaName(const wchar_t*& name) const;
  ErrorStatus getPlotPaperSize(double& width, double& height) const;
  ErrorStatus getPlotPaperMargins(double& left, double& bottom, double& right, double& top) const;
  ErrorStatus getPlotWindowArea(double& xmin, double& ymin, double& xmax, double& ymax) const;
  ErrorStatus getCurrentStyleSheet(const wchar_t*& name) const;
  ErrorStatus getPlotOrigin(double& x, double& y) const;
  ErrorStatus getCustomPrintScale(double& numerator, double& denominator) const;
  PlotPaperUnits plotPaperUnits() const { return paperUnits; }
  PlotRotation plotRotation() const { return rotation; }
  PlotType plotType() const { return type; }
  bool plotCentered() const { return centered; }
  bool useStandardScale() const { return useStdScale; }
  ErrorStatus getStdScaleType(StdScaleType& scaleType) const;
  StdScaleType stdScaleType() const { return static_cast<StdScaleType>(standardScaleType); }
  bool plotPlotStyles() const { return plotStyles; }
  bool showPlotStyles() const { return showStyles; }
  bool printLineweights() const { return lineweights; }
  bool scaleLineweights() const { return lineweightScaling; }

  // Direct setters, as the host has them; device, medium, area, type and scale go through the validator.
  ErrorStatus setPlotPlotStyles(bool on);
  ErrorStatus setShowPlotStyles(bool on);
  ErrorStatus setPrintLineweights(bool on);
  ErrorStatus setScaleLineweights(bool on);
  ErrorStatus setPlotSettingsName(const wchar_t* name);

  const RxClass& rxClass() const override;

 protected:
  PlotSettings(ObjectKind kind, bool modelType) : Object(kind), model(modelType) {}
};

}  // namespace cad
