// Plot info and its validator: the validated settings the engine will plot, made from the override (or the
// layout), checked against the device; and the faults a test can make validation show.

#include <functional>
#include <string>
#include <vector>

#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_info.h"
#include "cad/plot/plot_info_validator.h"
#include "cad/plot/plot_settings_validator.h"
#include "foundation/files.h"
#include "plot_fixture.h"

namespace {

using namespace cad;
using plottest::PlotTest;

PlotSettingsValidator& validator() { return *acdbHostApplicationServices()->plotSettingsValidator(); }

ErrorStatus validate(PlotInfo& info, int policy = PlotInfoValidator::kMatchEnabled) {
  PlotInfoValidator v;
  v.setMediaMatchingPolicy(policy);
  return v.validate(info);
}

TEST_F(PlotTest, ValidatedSettingsAreACheckedCopyOfTheOverride) {
  auto s = pdfSettings(L"Sheet A3");
  ASSERT_EQ(validator().setPlotWindowArea(s.get(), 0, 0, 200, 100), eOk);
  ASSERT_EQ(validator().setPlotType(s.get(), PlotType::kWindow), eOk);
  ASSERT_EQ(validator().setPlotRotation(s.get(), PlotRotation::k90degrees), eOk);
  s->marginLeft = 99;  // stale: the device's catalogue decides

  PlotInfo info;
  info.setLayout(layout(L"Sheet A3").objectId());
  info.setOverrideSettings(s.get());
  EXPECT_EQ(info.validatedSettings(), nullptr);
  ASSERT_EQ(validate(info), eOk);
  const PlotSettings* v = info.validatedSettings();
  ASSERT_NE(v, nullptr);
  EXPECT_NE(v, s.get());
  EXPECT_EQ(v->plotCfgName, kPdfDeviceName);
  EXPECT_EQ(v->canonicalMediaName, L"ISO_full_bleed_A3_(420.00_x_297.00_MM)");
  EXPECT_EQ(v->marginLeft, 0);
  EXPECT_EQ(v->plotType(), PlotType::kWindow);
  EXPECT_EQ(v->plotRotation(), PlotRotation::k90degrees);
  EXPECT_EQ(s->marginLeft, 99);  // the override is not touched

  // A new override makes the plot info unvalidated again.
  info.setOverrideSettings(s.get());
  EXPECT_FALSE(info.isValidated());
}

TEST_F(PlotTest, UnknownMediumBecomesTheClosestOnlyWithMediaMatching) {
  auto s = pdfSettings(L"Sheet A3");
  s->canonicalMediaName = L"Some plotter's A2";
  s->paperWidthMm = 594;
  s->paperHeightMm = 420;
  PlotInfo info;
  info.setLayout(layout(L"Sheet A3").objectId());
  info.setOverrideSettings(s.get());
  EXPECT_EQ(validate(info, PlotInfoValidator::kMatchDisabled), eInvalidInput);
  EXPECT_FALSE(info.isValidated());
  ASSERT_EQ(validate(info, PlotInfoValidator::kMatchEnabled), eOk);
  EXPECT_EQ(info.validatedSettings()->canonicalMediaName, L"ISO_full_bleed_A2_(594.00_x_420.00_MM)");
}

TEST_F(PlotTest, ValidationRefusesWhatTheDeviceCannotPlot) {
  struct Case {
    const char* what;
    std::function<void(PlotSettings&)> spoil;
  };
  const Case cases[] = {
      {"no device", [](PlotSettings& s) { s.plotCfgName = L"None"; }},
      {"unknown device", [](PlotSettings& s) { s.plotCfgName = L"Elsewhere.pc3"; }},
      {"window plot without a window", [](PlotSettings& s) { s.type = PlotType::kWindow; }},
      {"view plot", [](PlotSettings& s) { s.type = PlotType::kView; }},
  };
  for (const Case& c : cases) {
    auto s = pdfSettings(L"Sheet A3");
    c.spoil(*s);
    PlotInfo info;
    info.setLayout(layout(L"Sheet A3").objectId());
    info.setOverrideSettings(s.get());
    EXPECT_EQ(validate(info), eInvalidInput) << c.what;
    EXPECT_FALSE(info.isValidated()) << c.what;
  }
  // Without an override the layout's own settings are validated: this one names a device the host lacks.
  PlotInfo own;
  own.setLayout(layout(L"Sheet A3").objectId());
  EXPECT_EQ(validate(own), eInvalidInput);
  PlotInfo noLayout;
  EXPECT_NE(validate(noLayout), eOk);
}

// A table the plot draws with must be there and readable, or the plot would come out in the wrong colours; one
// only named while plot styles are off is dropped when missing.
TEST_F(PlotTest, AStyleSheetThePlotUsesMustBeReadable) {
  addStyleTable("monochrome.ctb");
  auto s = pdfSettings(L"Sheet A3");
  PlotInfo info;
  info.setLayout(layout(L"Sheet A3").objectId());
  info.setOverrideSettings(s.get());
  s->styleSheet = L"monochrome.ctb";
  ASSERT_EQ(validate(info), eOk);
  EXPECT_EQ(info.validatedSettings()->styleSheet, L"monochrome.ctb");

  PlotInfoValidator validator;
  s->styleSheet = L"gone.ctb";
  EXPECT_EQ(validator.validate(info), eFileAccessErr);
  EXPECT_NE(validator.failureReason().find("gone.ctb"), std::string::npos) << validator.failureReason();
  s->styleSheet = L"monochrome.ctb";
  ASSERT_TRUE(foundation::writeFileAtomically(stylesFolder_ + "/monochrome.ctb", "PLOTSTYLETABLE_1.0,CTB"));
  EXPECT_EQ(validator.validate(info), eFileAccessErr);
  EXPECT_NE(validator.failureReason().find("monochrome.ctb"), std::string::npos) << validator.failureReason();

  s->plotStyles = false;
  s->styleSheet = L"gone.ctb";
  ASSERT_EQ(validator.validate(info), eOk);
  EXPECT_EQ(info.validatedSettings()->styleSheet, L"");
  EXPECT_EQ(validator.failureReason(), "");
}

TEST_F(PlotTest, ValidationFaultsChangeOrRefuseWhatIsValidated) {
  addStyleTable("monochrome.ctb");
  auto s = pdfSettings(L"Sheet A3");
  ASSERT_EQ(validator().setPlotWindowArea(s.get(), 0, 0, 200, 100), eOk);
  ASSERT_EQ(validator().setPlotType(s.get(), PlotType::kWindow), eOk);
  ASSERT_EQ(validator().setPlotCentered(s.get(), true), eOk);
  ASSERT_EQ(validator().setStdScaleType(s.get(), StdScaleType::kScaleToFit), eOk);
  ASSERT_EQ(validator().setCurrentStyleSheet(s.get(), L"monochrome.ctb"), eOk);
  ASSERT_EQ(s->setPrintLineweights(true), eOk);
  ASSERT_EQ(s->setScaleLineweights(false), eOk);

  struct Case {
    const char* what;
    std::function<void(PlotInfoValidatorFaults&)> set;
    std::function<bool(const PlotSettings&)> shows;
  };
  const Case cases[] = {
      {"switch medium", [](auto& f) { f.switchMedium = L"ISO_A4_(297.00_x_210.00_MM)"; },
       [](const PlotSettings& v) {
         return v.canonicalMediaName == L"ISO_A4_(297.00_x_210.00_MM)" && v.paperWidthMm == 297;
       }},
      {"not centred", [](auto& f) { f.clearCentered = true; }, [](const PlotSettings& v) { return !v.plotCentered(); }},
      {"not fitted", [](auto& f) { f.clearScaleToFit = true; },
       [](const PlotSettings& v) { return v.stdScaleType() == StdScaleType::k1_1; }},
      {"no window", [](auto& f) { f.clearWindow = true; },
       [](const PlotSettings& v) { return v.plotType() == PlotType::kLayout; }},
      {"style dropped", [](auto& f) { f.dropStyleSheet = true; },
       [](const PlotSettings& v) { return v.styleSheet.empty(); }},
      {"style re-cased", [](auto& f) { f.recaseStyleSheet = true; },
       [](const PlotSettings& v) { return v.styleSheet == L"MONOCHROME.CTB"; }},
      {"styles off", [](auto& f) { f.plotStylesOff = true; },
       [](const PlotSettings& v) { return !v.plotPlotStyles(); }},
      {"lineweights off", [](auto& f) { f.printLineweightsOff = true; },
       [](const PlotSettings& v) { return !v.printLineweights(); }},
      {"lineweights scaled", [](auto& f) { f.scaleLineweightsOn = true; },
       [](const PlotSettings& v) { return v.scaleLineweights(); }},
  };
  for (const Case& c : cases) {
    plotInfoValidatorFaults() = {};
    PlotInfo info;
    info.setLayout(layout(L"Sheet A3").objectId());
    info.setOverrideSettings(s.get());
    ASSERT_EQ(validate(info), eOk) << c.what;
    EXPECT_FALSE(c.shows(*info.validatedSettings())) << c.what;
    c.set(plotInfoValidatorFaults());
    ASSERT_EQ(validate(info), eOk) << c.what;
    EXPECT_TRUE(c.shows(*info.validatedSettings())) << c.what;
  }

  plotInfoValidatorFaults() = {};
  plotInfoValidatorFaults().failOnCall = 2;
  plotInfoValidatorFaults().failStatus = eOutOfRange;
  PlotInfo info;
  info.setLayout(layout(L"Sheet A3").objectId());
  info.setOverrideSettings(s.get());
  EXPECT_EQ(validate(info), eOk);
  EXPECT_EQ(validate(info), eOutOfRange);
  EXPECT_EQ(validate(info), eOk);
}

TEST_F(PlotTest, CommittedValidatedSettingsAreACopy) {
  auto s = pdfSettings(L"Sheet A3");
  PlotInfo info;
  info.setLayout(layout(L"Sheet A3").objectId());
  ASSERT_EQ(info.setValidatedSettings(s.get()), eOk);
  s->styleSheet = L"later.ctb";
  EXPECT_EQ(info.validatedSettings()->styleSheet, L"");
  EXPECT_EQ(info.setValidatedSettings(nullptr), eInvalidInput);
  info.faults.setValidatedSettings = true;
  EXPECT_NE(info.setValidatedSettings(s.get()), eOk);
  info.faults.setValidatedSettings = false;
  s->settingsFaults.copyFrom = true;
  EXPECT_NE(info.setValidatedSettings(s.get()), eOk);
}

}  // namespace
