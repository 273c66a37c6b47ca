// Applying the chosen plot-style table to a page's settings, and keeping it in the settings the host validated.

#include <memory>
#include <string>

#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_info.h"
#include "cad/plot/plot_info_validator.h"
#include "cad/plot/plot_settings_validator.h"
#include "plot/last_result.h"
#include "plot/plot_style_selection.h"
#include "plot_fixture.h"

namespace plot_test {
namespace {

const std::wstring kFailStatus = std::to_wstring(cad::eNotApplicable);
const std::wstring kUnlisted = std::to_wstring(cad::eInvalidInput);

class PlotStyleSelectionTest : public PlotPipelineTest {
 protected:
  void SetUp() override {
    PlotPipelineTest::SetUp();
    open(cad::Database::createDefault());
    validator_ = cad::acdbHostApplicationServices()->plotSettingsValidator();
    layoutId_ = db().layoutId(L"Layout1");
    ASSERT_EQ(settings_.copyFrom(&layout(L"Layout1")), cad::eOk);
    ASSERT_EQ(validator_->setPlotCfgName(&settings_, cad::kPdfDeviceName), cad::eOk);
  }

  // The page's plot info validated with the settings as they are now.
  void validate() {
    info_ = std::make_unique<cad::PlotInfo>();
    info_->setLayout(layoutId_);
    info_->setOverrideSettings(&settings_);
    cad::PlotInfoValidator validator;
    validator.setMediaMatchingPolicy(cad::PlotInfoValidator::kMatchEnabled);
    ASSERT_EQ(validator.validate(*info_), cad::eOk);
  }

  bool finalize(const std::wstring& style) {
    return vexBatchFinalizeValidatedPlotStyle(info_.get(), validator_, &settings_, style, L"Sheet 1", repaired_);
  }

  std::wstring validatedStyle() const {
    const wchar_t* name = nullptr;
    EXPECT_EQ(info_->validatedSettings()->getCurrentStyleSheet(name), cad::eOk);
    return name;
  }

  cad::PlotSettingsValidator* validator_ = nullptr;
  cad::ObjectId layoutId_;
  cad::PlotSettings settings_;
  std::unique_ptr<cad::PlotInfo> info_;
  std::unique_ptr<cad::PlotSettings> repaired_;
};

TEST_F(PlotStyleSelectionTest, AnAppliedTableIsReadBackWithPlotStylesAndLineweightsOn) {
  settings_.plotStyles = settings_.showStyles = settings_.lineweights = false;
  settings_.lineweightScaling = true;
  ASSERT_TRUE(vexBatchApplyPlotStyle(validator_, &settings_, L"monochrome.ctb"));
  EXPECT_EQ(settings_.styleSheet, L"monochrome.ctb");
  EXPECT_TRUE(settings_.plotStyles && settings_.showStyles && settings_.lineweights);
  EXPECT_TRUE(settings_.lineweightScaling);  // only the compact export's table turns scaling off
  EXPECT_EQ(traceLines(L"DUZOZAREDPLOTSTYLE "),
            (std::vector<std::wstring>{
                L"DUZOZAREDPLOTSTYLE requested=monochrome.ctb actual=monochrome.ctb plot=YES show=YES"}));

  gBatchLiteFixedStyle = true;
  ASSERT_TRUE(vexBatchApplyPlotStyle(validator_, &settings_, L"acad.ctb"));
  EXPECT_FALSE(settings_.lineweightScaling);
}

TEST_F(PlotStyleSelectionTest, AnEmptyNameKeepsTheLayoutsOwnTable) {
  settings_.styleSheet = L"acad.ctb";
  validator_->calls.clear();
  EXPECT_TRUE(vexBatchApplyPlotStyle(validator_, &settings_, L""));
  EXPECT_EQ(settings_.styleSheet, L"acad.ctb");
  EXPECT_TRUE(validator_->calls.empty());
  validate();
  EXPECT_TRUE(finalize(L""));
  EXPECT_EQ(repaired_, nullptr);
  EXPECT_TRUE(transcript().empty());
}

TEST_F(PlotStyleSelectionTest, EveryWayApplyingATableFailsHasItsText) {
  struct Case {
    const char* what;
    std::wstring style;
    void (*arrange)(cad::PlotSettingsValidator&, cad::PlotSettings&);
    std::wstring error;
  };
  const Case cases[] = {
      {"named table in a colour drawing", L"acad.stb", [](auto&, auto&) {},
       L"Plot style type does not match the current drawing: acad.stb; required=.ctb"},
      {"table not in the folder", L"absent.ctb", [](auto&, auto&) {},
       L"Cannot apply plot style absent.ctb status=" + kUnlisted},
      {"host refuses", L"acad.ctb", [](auto& v, auto&) { v.faults.setCurrentStyleSheet = true; },
       L"Cannot apply plot style acad.ctb status=" + kFailStatus},
      {"host keeps its own spelling", L"MONOCHROME.ctb", [](auto& v, auto&) { v.faults.storeListedSpelling = true; },
       L"Plot style verification failed: requested=MONOCHROME.ctb actual=monochrome.ctb enabled=YES"},
      {"table cannot be read back", L"acad.ctb", [](auto&, auto& s) { s.settingsFaults.styleSheet = true; },
       L"Plot style verification failed: requested=acad.ctb actual= enabled=YES"},
  };
  for (const Case& c : cases) {
    validator_->faults = {};
    cad::PlotSettings settings;
    ASSERT_EQ(settings.copyFrom(&settings_), cad::eOk);
    c.arrange(*validator_, settings);
    gBatchPrintLastError.clear();
    EXPECT_FALSE(vexBatchApplyPlotStyle(validator_, &settings, c.style)) << c.what;
    EXPECT_EQ(gBatchPrintLastError, c.error) << c.what;
  }
  EXPECT_TRUE(traceLines(L"DUZOZAREDPLOTSTYLE").empty());
}

TEST_F(PlotStyleSelectionTest, ValidatedSettingsThatKeptTheTableNeedNoRepair) {
  ASSERT_TRUE(vexBatchApplyPlotStyle(validator_, &settings_, L"acad.ctb"));
  validate();
  EXPECT_TRUE(finalize(L"acad.ctb"));
  EXPECT_EQ(repaired_, nullptr);
  EXPECT_EQ(traceLines(L"DUZOZAREDPLOTSTYLEVALIDATED"),
            (std::vector<std::wstring>{L"DUZOZAREDPLOTSTYLEVALIDATED page=Sheet 1 requested=acad.ctb actual=acad.ctb "
                                       L"plot=YES lineweights=YES repaired=NO"}));
}

TEST_F(PlotStyleSelectionTest, ATableTheHostLostOrChangedWhileValidatingIsPutBack) {
  struct Case {
    const char* what;
    void (*fault)(cad::PlotInfoValidatorFaults&);
    bool lite;
  };
  const Case cases[] = {
      {"dropped", [](auto& f) { f.dropStyleSheet = true; }, false},
      {"re-spelt", [](auto& f) { f.recaseStyleSheet = true; }, false},
      {"plot styles off", [](auto& f) { f.plotStylesOff = true; }, false},
      {"compact export: lineweights off", [](auto& f) { f.printLineweightsOff = true; }, true},
      {"compact export: lineweights scaled", [](auto& f) { f.scaleLineweightsOn = true; }, true},
  };
  for (const Case& c : cases) {
    cad::plotInfoValidatorFaults() = {};
    c.fault(cad::plotInfoValidatorFaults());
    gBatchLiteFixedStyle = c.lite;
    repaired_.reset();
    cad::commandLine().clearTranscript();
    ASSERT_TRUE(vexBatchApplyPlotStyle(validator_, &settings_, L"acad.ctb"));
    validate();
    EXPECT_TRUE(finalize(L"acad.ctb")) << c.what << ": " << foundation::utf8FromWideLossy(gBatchPrintLastError);
    ASSERT_NE(repaired_, nullptr) << c.what;
    const cad::PlotSettings& validated = *info_->validatedSettings();
    EXPECT_EQ(validatedStyle(), L"acad.ctb") << c.what;
    EXPECT_TRUE(validated.plotStyles && validated.lineweights) << c.what;
    EXPECT_FALSE(c.lite && validated.lineweightScaling) << c.what;
    EXPECT_EQ(traceLines(L"DUZOZAREDPLOTSTYLEVALIDATED"),
              (std::vector<std::wstring>{L"DUZOZAREDPLOTSTYLEVALIDATED page=Sheet 1 requested=acad.ctb "
                                         L"actual=acad.ctb plot=YES lineweights=YES repaired=YES"}))
        << c.what;
  }
}

TEST_F(PlotStyleSelectionTest, LineweightsTheHostSwitchedOffFailTheFinalCheckOutsideTheCompactExport) {
  cad::plotInfoValidatorFaults().printLineweightsOff = true;
  ASSERT_TRUE(vexBatchApplyPlotStyle(validator_, &settings_, L"acad.ctb"));
  validate();
  EXPECT_FALSE(finalize(L"acad.ctb"));
  EXPECT_EQ(repaired_, nullptr);
  EXPECT_EQ(gBatchPrintLastError,
            L"Final plot style mismatch for Sheet 1: requested=acad.ctb actual=acad.ctb enabled=YES lineweights=NO");
}

TEST_F(PlotStyleSelectionTest, ARepairThatCannotBeMadeOrCommittedFailsWithItsText) {
  ASSERT_TRUE(vexBatchApplyPlotStyle(validator_, &settings_, L"acad.ctb"));

  // Nothing validated and no settings to start from.
  info_ = std::make_unique<cad::PlotInfo>();
  EXPECT_FALSE(
      vexBatchFinalizeValidatedPlotStyle(info_.get(), validator_, nullptr, L"acad.ctb", L"Sheet 1", repaired_));
  EXPECT_EQ(gBatchPrintLastError, L"Validated plot settings unavailable for Sheet 1");
  EXPECT_FALSE(vexBatchFinalizeValidatedPlotStyle(nullptr, validator_, &settings_, L"acad.ctb", L"Sheet 1", repaired_));
  EXPECT_EQ(gBatchPrintLastError, L"Validated plot settings unavailable for Sheet 1");

  // Not validated: the override settings are the base, and cannot be copied.
  settings_.settingsFaults.copyFrom = true;
  EXPECT_FALSE(finalize(L"acad.ctb"));
  EXPECT_EQ(gBatchPrintLastError, L"Cannot repair validated plot style for Sheet 1");
  settings_.settingsFaults.copyFrom = false;

  // Not validated, repaired from the override settings: the plot info takes them as validated.
  EXPECT_TRUE(finalize(L"acad.ctb"));
  EXPECT_EQ(validatedStyle(), L"acad.ctb");

  cad::plotInfoValidatorFaults().dropStyleSheet = true;
  validate();
  validator_->faults.setCurrentStyleSheet = true;
  EXPECT_FALSE(finalize(L"acad.ctb"));
  EXPECT_EQ(gBatchPrintLastError, L"Cannot apply plot style acad.ctb status=" + kFailStatus);
  validator_->faults.setCurrentStyleSheet = false;

  validate();
  info_->faults.setValidatedSettings = true;
  repaired_.reset();
  EXPECT_FALSE(finalize(L"acad.ctb"));
  EXPECT_EQ(gBatchPrintLastError, L"Cannot commit validated plot style for Sheet 1 status=" + kFailStatus);
  EXPECT_NE(repaired_, nullptr);  // still the page's
  EXPECT_EQ(validatedStyle(), L"");
}

}  // namespace
}  // namespace plot_test
