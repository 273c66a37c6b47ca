// The PDF device, its media catalogue and the plot-settings validator: which medium a request gets, and
// what the validator refuses.

#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "cad/environment.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_settings_validator.h"
#include "cad/plot/plot_style_table.h"
#include "cad/result_buffer.h"
#include "foundation/files.h"
#include "foundation/text.h"
#include "plot_fixture.h"

namespace {

using namespace cad;
using plottest::PlotTest;

PlotSettingsValidator& validator() { return *acdbHostApplicationServices()->plotSettingsValidator(); }
PlotDevice& pdf() { return *acplPlotConfigManagerPtr()->pdfDevice(); }

TEST_F(PlotTest, BothStandardConfigurationsNameThePdfDeviceAndEachCanBeBlanked) {
  PlotConfigManager* manager = acplPlotConfigManagerPtr();
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(manager->getStdConfigName(10), kPdfDeviceName);
  EXPECT_EQ(manager->getStdConfigName(11), kPdfDeviceName);
  EXPECT_EQ(manager->getStdConfigName(3), L"");
  std::vector<std::wstring> devices;
  ASSERT_EQ(manager->getDevicesList(devices), eOk);
  EXPECT_EQ(devices, (std::vector<std::wstring>{L"None", kPdfDeviceName}));

  manager->setStdConfigName(11, L"");
  EXPECT_EQ(manager->getStdConfigName(11), L"");
  EXPECT_EQ(manager->getStdConfigName(10), kPdfDeviceName);
  manager->faults.devicesList = true;
  EXPECT_NE(manager->getDevicesList(devices), eOk);
  EXPECT_TRUE(devices.empty());
  setPlotConfigManagerAbsent(true);
  EXPECT_EQ(acplPlotConfigManagerPtr(), nullptr);
}

TEST_F(PlotTest, CatalogueHoldsEveryIsoSheetBothWaysWithSizesAsNamed) {
  for (const auto& [paper, shortSide, longSide] :
       {std::tuple{L"A4", 210, 297}, {L"A3", 297, 420}, {L"A2", 420, 594}, {L"A1", 594, 841}, {L"A0", 841, 1189}}) {
    for (const wchar_t* prefix : {L"ISO_full_bleed_", L"ISO_"}) {
      for (const auto& [w, h] : {std::pair{longSide, shortSide}, std::pair{shortSide, longSide}}) {
        const std::wstring name = isoMediumName(prefix, paper, w, h);
        const Medium* m = pdf().medium(name);
        ASSERT_NE(m, nullptr) << std::string(name.begin(), name.end());
        EXPECT_EQ(m->width, w);
        EXPECT_EQ(m->height, h);
        const bool natural = std::wstring(prefix) == L"ISO_";
        // Natural sheets have margins, and not the same on every side, so a wrong turn shows.
        EXPECT_EQ(m->left > 0 && m->bottom > 0, natural);
        if (natural) {
          EXPECT_TRUE(m->left != m->right && m->bottom != m->top && m->left != m->bottom);
        }
      }
    }
  }
  EXPECT_NE(pdf().medium(L"ISO_full_bleed_A3_(420.00_x_297.00_MM)"), nullptr);
  const Medium* ansi = pdf().medium(L"ANSI_A_(8.50_x_11.00_Inches)");
  ASSERT_NE(ansi, nullptr);
  EXPECT_DOUBLE_EQ(ansi->width, 215.9);
  EXPECT_DOUBLE_EQ(ansi->height, 279.4);
  EXPECT_EQ(ansi->units, PlotPaperUnits::kInches);
  // Larger sheets whose names hold "A0" come first in the list.
  std::vector<std::wstring> names;
  auto s = pdfSettings(L"Sheet A3");
  ASSERT_EQ(validator().canonicalMediaNameList(s.get(), names), eOk);
  ASSERT_FALSE(names.empty());
  EXPECT_NE(names.front().find(L"A0"), std::wstring::npos);
  EXPECT_NE(names.front(), L"ISO_full_bleed_A0_(1189.00_x_841.00_MM)");
}

TEST_F(PlotTest, SwitchingToThePdfDeviceKeepsAMediumItHasAndOtherwiseTakesItsDefault) {
  auto a3 = pdfSettings(L"Sheet A3");
  EXPECT_EQ(a3->plotCfgName, kPdfDeviceName);
  EXPECT_EQ(a3->canonicalMediaName, L"ISO_full_bleed_A3_(420.00_x_297.00_MM)");

  auto a4 = pdfSettings(L"Sheet A4");  // "A4" is not a name the device knows
  EXPECT_EQ(a4->canonicalMediaName, L"ISO_A4_(210.00_x_297.00_MM)");
  double l = 0, b = 0, r = 0, t = 0;
  ASSERT_EQ(a4->getPlotPaperMargins(l, b, r, t), eOk);
  EXPECT_NE(l, 3);  // the device's margins, not the layout's

  ASSERT_EQ(validator().setPlotCfgName(a4.get(), kPdfDeviceName, L"ISO_A2_(594.00_x_420.00_MM)"), eOk);
  double w = 0, h = 0;
  ASSERT_EQ(a4->getPlotPaperSize(w, h), eOk);
  EXPECT_EQ(w, 594);
  EXPECT_EQ(h, 420);

  const std::wstring before = a4->canonicalMediaName;
  EXPECT_EQ(validator().setPlotCfgName(a4.get(), L"No Such Plotter.pc3"), eInvalidInput);
  EXPECT_EQ(validator().setPlotCfgName(a4.get(), kPdfDeviceName, L"A4"), eInvalidInput);
  EXPECT_EQ(a4->plotCfgName, kPdfDeviceName);
  EXPECT_EQ(a4->canonicalMediaName, before);
}

TEST_F(PlotTest, ClosestMediumFollowsSizeOrientationUnitsAndPrintableArea) {
  struct Case {
    double w, h;
    PlotPaperUnits units;
    bool printable;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {420, 297, PlotPaperUnits::kMillimeters, true, L"ISO_full_bleed_A3_(420.00_x_297.00_MM)"},
      {297, 420, PlotPaperUnits::kMillimeters, true, L"ISO_full_bleed_A3_(297.00_x_420.00_MM)"},
      // The printable area of the natural A3 sheet is this size.
      {408, 270, PlotPaperUnits::kMillimeters, true, L"ISO_A3_(420.00_x_297.00_MM)"},
      // Compared as sheets, the first of two equal sheets in the list wins.
      {420, 297, PlotPaperUnits::kMillimeters, false, L"ISO_full_bleed_A3_(420.00_x_297.00_MM)"},
      {8.5, 11, PlotPaperUnits::kInches, true, L"ANSI_full_bleed_A_(8.50_x_11.00_Inches)"},
      // Nothing of this size: still a medium, the nearest.
      {400, 290, PlotPaperUnits::kMillimeters, true, L"ISO_full_bleed_A3_(420.00_x_297.00_MM)"},
  };
  for (const Case& c : cases) {
    auto s = pdfSettings(L"Sheet A4");
    ASSERT_EQ(validator().setClosestMediaName(s.get(), c.w, c.h, c.units, c.printable), eOk) << c.w << "x" << c.h;
    EXPECT_EQ(s->canonicalMediaName, c.expected) << c.w << "x" << c.h;
  }

  auto s = pdfSettings(L"Sheet A4");
  EXPECT_EQ(validator().setClosestMediaName(s.get(), 210, 297, PlotPaperUnits::kPixels, true), eInvalidInput);
  EXPECT_EQ(validator().setClosestMediaName(s.get(), 0, 297, PlotPaperUnits::kMillimeters, true), eInvalidInput);
  EXPECT_EQ(validator().setClosestMediaName(s.get(), NAN, 297, PlotPaperUnits::kMillimeters, true), eInvalidInput);

  // Without any A3 sheet the nearest is another size, and the call still succeeds.
  EXPECT_EQ(pdf().removeMediaOfSize(297, 420), 4);
  ASSERT_EQ(validator().setClosestMediaName(s.get(), 420, 297, PlotPaperUnits::kMillimeters, true), eOk);
  EXPECT_EQ(s->canonicalMediaName.find(L"A3"), std::wstring::npos);
  EXPECT_EQ(validator().setCanonicalMediaName(s.get(), L"ISO_A3_(420.00_x_297.00_MM)"), eInvalidInput);
}

TEST_F(PlotTest, NamedMediumTakesTheCatalogueSizeAndMarginsUnlessRemoved) {
  auto s = pdfSettings(L"Sheet A3");
  ASSERT_EQ(validator().setCanonicalMediaName(s.get(), L"ISO_A1_(594.00_x_841.00_MM)"), eOk);
  double w = 0, h = 0, l = 0, b = 0, r = 0, t = 0;
  ASSERT_EQ(s->getPlotPaperSize(w, h), eOk);
  ASSERT_EQ(s->getPlotPaperMargins(l, b, r, t), eOk);
  EXPECT_EQ(w, 594);
  EXPECT_EQ(h, 841);
  EXPECT_GT(l + b + r + t, 0);

  ASSERT_TRUE(pdf().removeMedium(L"ISO_A1_(594.00_x_841.00_MM)"));
  EXPECT_EQ(validator().setCanonicalMediaName(s.get(), L"ISO_A1_(594.00_x_841.00_MM)"), eInvalidInput);
  EXPECT_EQ(validator().setCanonicalMediaName(s.get(), L"iso_a2_(594.00_x_420.00_mm)"), eInvalidInput);
  EXPECT_GT(pdf().removeMediaNamedWith(L"full_bleed"), 0);
  EXPECT_EQ(validator().setCanonicalMediaName(s.get(), L"ISO_full_bleed_A3_(420.00_x_297.00_MM)"), eInvalidInput);
}

TEST_F(PlotTest, WindowAreaAndPlotTypeRefuseWhatCannotBePlotted) {
  auto s = pdfSettings(L"Sheet A3");
  EXPECT_EQ(validator().setPlotType(s.get(), PlotType::kWindow), eInvalidInput);  // no window yet
  for (const auto& [x0, y0, x1, y1] : {std::tuple{10.0, 0.0, 10.0, 5.0},
                                       {0.0, 5.0, 10.0, 5.0},
                                       {10.0, 0.0, 0.0, 5.0},
                                       {0.0, 0.0, INFINITY, 5.0},
                                       {NAN, 0.0, 1.0, 1.0}}) {
    EXPECT_EQ(validator().setPlotWindowArea(s.get(), x0, y0, x1, y1), eInvalidInput) << x0 << "," << y0;
  }
  ASSERT_EQ(validator().setPlotWindowArea(s.get(), -5, 1, 20, 10), eOk);
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  ASSERT_EQ(s->getPlotWindowArea(x0, y0, x1, y1), eOk);
  EXPECT_EQ(std::vector<double>({x0, y0, x1, y1}), std::vector<double>({-5, 1, 20, 10}));
  EXPECT_EQ(validator().setPlotType(s.get(), PlotType::kWindow), eOk);
  EXPECT_EQ(validator().setPlotType(s.get(), PlotType::kView), eInvalidInput);
  EXPECT_EQ(validator().setPlotRotation(s.get(), static_cast<PlotRotation>(4)), eInvalidInput);
  EXPECT_EQ(validator().setStdScaleType(s.get(), static_cast<StdScaleType>(-1)), eInvalidInput);
  EXPECT_EQ(s->plotType(), PlotType::kWindow);
}

TEST_F(PlotTest, StyleSheetsAreTheTablesOfThePlotStyleFoldersAsLastRefreshed) {
  addStyleTable("monochrome.ctb");
  addStyleTable("Named.stb");
  ASSERT_TRUE(foundation::writeFileAtomically(stylesFolder_ + "/notes.txt", "not a table"));
  auto s = pdfSettings(L"Sheet A3");
  std::vector<std::wstring> names;
  ASSERT_EQ(validator().plotStyleSheetList(names), eOk);
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Named.stb", L"monochrome.ctb"}));

  // The list is the host's: a table added later shows once the lists are refreshed.
  addStyleTable("Later.ctb");
  ASSERT_EQ(validator().plotStyleSheetList(names), eOk);
  EXPECT_EQ(names.size(), 2u);
  EXPECT_EQ(validator().setCurrentStyleSheet(s.get(), L"Later.ctb"), eInvalidInput);
  ASSERT_EQ(validator().refreshLists(s.get()), eOk);
  ASSERT_EQ(validator().plotStyleSheetList(names), eOk);
  EXPECT_EQ(names.size(), 3u);

  ASSERT_EQ(validator().setCurrentStyleSheet(s.get(), L"MONOCHROME.CTB"), eOk);
  const wchar_t* current = nullptr;
  ASSERT_EQ(s->getCurrentStyleSheet(current), eOk);
  EXPECT_STREQ(current, L"MONOCHROME.CTB");
  validator().faults.storeListedSpelling = true;
  ASSERT_EQ(validator().setCurrentStyleSheet(s.get(), L"MONOCHROME.CTB"), eOk);
  ASSERT_EQ(s->getCurrentStyleSheet(current), eOk);
  EXPECT_STREQ(current, L"monochrome.ctb");
  ASSERT_EQ(validator().setCurrentStyleSheet(s.get(), L""), eOk);
  EXPECT_EQ(s->styleSheet, L"");
}

TEST_F(PlotTest, PlotStyleFoldersSkipRelativePartsAndTheFirstFolderWinsAName) {
  const std::string second = *folder_ / "More Styles";
  ASSERT_TRUE(foundation::createDirectory(second, true));
  addStyleTable("shared.ctb");
  ASSERT_TRUE(writePlotStyleTable(PlotStyleTable::colorDependent(L"second"), second + "/Shared.CTB"));
  ASSERT_TRUE(writePlotStyleTable(PlotStyleTable::colorDependent(L"second"), second + "/extra.ctb"));
  const std::wstring value = foundation::wideFromUtf8Lossy(stylesFolder_ + ";relative/styles;;" + second);
  ASSERT_EQ(acedSetEnv(L"PrinterStyleSheetDir", value.c_str()), RTNORM);
  std::vector<std::wstring> names;
  ASSERT_EQ(validator().refreshLists(pdfSettings(L"Sheet A3").get()), eOk);
  ASSERT_EQ(validator().plotStyleSheetList(names), eOk);
  EXPECT_EQ(names, (std::vector<std::wstring>{L"shared.ctb", L"extra.ctb"}));
}

TEST_F(PlotTest, EveryValidatorCallCanBeMadeToFailAndEveryCallIsLogged) {
  using Flag = bool PlotSettingsValidator::Faults::*;
  struct Case {
    Flag flag;
    std::function<ErrorStatus(PlotSettings*)> call;
  };
  std::vector<std::wstring> list;
  const Case cases[] = {
      {&PlotSettingsValidator::Faults::setPlotCfgName,
       [](PlotSettings* s) { return validator().setPlotCfgName(s, kPdfDeviceName); }},
      {&PlotSettingsValidator::Faults::setPlotPaperUnits,
       [](PlotSettings* s) { return validator().setPlotPaperUnits(s, PlotPaperUnits::kMillimeters); }},
      {&PlotSettingsValidator::Faults::refreshLists, [](PlotSettings* s) { return validator().refreshLists(s); }},
      {&PlotSettingsValidator::Faults::canonicalMediaNameList,
       [&list](PlotSettings* s) { return validator().canonicalMediaNameList(s, list); }},
      {&PlotSettingsValidator::Faults::setCanonicalMediaName,
       [](PlotSettings* s) { return validator().setCanonicalMediaName(s, L"ISO_A4_(210.00_x_297.00_MM)"); }},
      {&PlotSettingsValidator::Faults::setClosestMediaName,
       [](PlotSettings* s) {
         return validator().setClosestMediaName(s, 210, 297, PlotPaperUnits::kMillimeters, true);
       }},
      {&PlotSettingsValidator::Faults::setPlotRotation,
       [](PlotSettings* s) { return validator().setPlotRotation(s, PlotRotation::k90degrees); }},
      {&PlotSettingsValidator::Faults::setPlotWindowArea,
       [](PlotSettings* s) { return validator().setPlotWindowArea(s, 0, 0, 1, 1); }},
      {&PlotSettingsValidator::Faults::setPlotType,
       [](PlotSettings* s) { return validator().setPlotType(s, PlotType::kLayout); }},
      {&PlotSettingsValidator::Faults::setPlotCentered,
       [](PlotSettings* s) { return validator().setPlotCentered(s, true); }},
      {&PlotSettingsValidator::Faults::setUseStandardScale,
       [](PlotSettings* s) { return validator().setUseStandardScale(s, true); }},
      {&PlotSettingsValidator::Faults::setStdScaleType,
       [](PlotSettings* s) { return validator().setStdScaleType(s, StdScaleType::k1_1); }},
      {&PlotSettingsValidator::Faults::plotStyleSheetList,
       [&list](PlotSettings*) { return validator().plotStyleSheetList(list); }},
      {&PlotSettingsValidator::Faults::setCurrentStyleSheet,
       [](PlotSettings* s) { return validator().setCurrentStyleSheet(s, L""); }},
  };
  auto s = pdfSettings(L"Sheet A3");
  for (const Case& c : cases) {
    validator().reset();
    ASSERT_EQ(c.call(s.get()), eOk);
    ASSERT_EQ(validator().calls.size(), 1u);
    validator().faults.*c.flag = true;
    validator().faults.failStatus = eOutOfRange;
    EXPECT_EQ(c.call(s.get()), eOutOfRange)
        << std::string(validator().calls.back().begin(), validator().calls.back().end());
  }
  validator().reset();
  validator().setCanonicalMediaName(s.get(), L"ISO_A4_(210.00_x_297.00_MM)");
  EXPECT_EQ(validator().calls, (std::vector<std::wstring>{L"setCanonicalMediaName ISO_A4_(210.00_x_297.00_MM)"}));
}

}  // namespace
