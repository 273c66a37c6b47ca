// Choosing the PDF device's medium for a paper against the device's real catalogue: full-bleed before natural
// media, decoys that hold the paper's name but not its size, lengthened and removed media.

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_settings_validator.h"
#include "plot/media_selection.h"
#include "plot_fixture.h"

namespace plot_test {
namespace {

VexBatchPrintPaperSpec paper(const wchar_t* name, double shortSide, double longSide) {
  return {name, shortSide, longSide};
}

class MediaSelectionTest : public PlotPipelineTest {
 protected:
  void SetUp() override {
    PlotPipelineTest::SetUp();
    open(cad::Database::createDefault());
    validator_ = cad::acdbHostApplicationServices()->plotSettingsValidator();
    settings_.canonicalMediaName = L"ISO_A4_(210.00_x_297.00_MM)";
    ASSERT_EQ(validator_->setPlotCfgName(&settings_, cad::kPdfDeviceName), cad::eOk);
    validator_->calls.clear();
    commandLineStart_ = transcript().size();
  }

  cad::ErrorStatus select(const VexBatchPrintPaperSpec& p, bool landscape) {
    return vexBatchSelectMedia(validator_, &settings_, p, landscape, true);
  }

  // Media the selection set, in order.
  std::vector<std::wstring> mediaTried() const {
    std::vector<std::wstring> tried;
    for (const std::wstring& call : validator_->calls) {
      if (call.starts_with(L"setCanonicalMediaName ")) tried.push_back(call.substr(22));
    }
    return tried;
  }

  static std::vector<std::wstring> mediaTrace() { return traceLines(L"DUZOZAREDMEDIA"); }

  cad::PlotSettingsValidator* validator_ = nullptr;
  cad::PlotSettings settings_;
  std::size_t commandLineStart_ = 0;
};

TEST_F(MediaSelectionTest, APaperMatchesAMediumOfItsSizeInEitherOrientationWithinATenthOfAMillimetre) {
  struct Case {
    double width, height;
    VexBatchPrintPaperSpec paper;
    bool matches;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {420, 297, paper(L"A3", 297, 420), true},
      {297, 420, paper(L"A3", 297, 420), true},
      {420.05, 296.95, paper(L"A3", 297, 420), true},
      {420.15, 297, paper(L"A3", 297, 420), false},
      {420, 296.85, paper(L"A3", 297, 420), false},
      {630, 297, paper(L"A3", 297, 420), false},
      {nan, 297, paper(L"A3", 297, 420), false},
      {std::numeric_limits<double>::infinity(), 297, paper(L"A3", 297, 420), false},
      {0, 0, paper(L"", 0, 0), false},
      {420, 297, paper(L"A3", -297, 420), false},
  };
  for (const Case& c : cases) {
    settings_.paperWidthMm = c.width;
    settings_.paperHeightMm = c.height;
    EXPECT_EQ(vexBatchMediaMatchesPaper(&settings_, c.paper), c.matches) << c.width << " x " << c.height;
  }
  settings_.paperWidthMm = 420;
  settings_.paperHeightMm = 297;
  EXPECT_FALSE(vexBatchMediaMatchesPaper(nullptr, paper(L"A3", 297, 420)));
  settings_.settingsFaults.paperSize = true;
  EXPECT_FALSE(vexBatchMediaMatchesPaper(&settings_, paper(L"A3", 297, 420)));
}

TEST_F(MediaSelectionTest, AFullBleedMediumIsTakenFirstWhateverTheOrientation) {
  for (const bool landscape : {true, false}) {
    EXPECT_EQ(select(paper(L"A3", 297, 420), landscape), cad::eOk);
    EXPECT_EQ(settings_.canonicalMediaName, L"ISO_full_bleed_A3_(420.00_x_297.00_MM)");
    EXPECT_EQ(settings_.marginLeft + settings_.marginBottom + settings_.marginRight + settings_.marginTop, 0);
  }
  EXPECT_EQ(mediaTrace(),
            (std::vector<std::wstring>(
                2, L"DUZOZAREDMEDIA request=A3 borderless=ISO_full_bleed_A3_(420.00_x_297.00_MM) set=0")));
}

TEST_F(MediaSelectionTest, LargerSheetsThatHoldThePapersNameAreRejectedBySize) {
  EXPECT_EQ(select(paper(L"A0", 841, 1189), true), cad::eOk);
  EXPECT_EQ(settings_.canonicalMediaName, L"ISO_full_bleed_A0_(1189.00_x_841.00_MM)");
  EXPECT_EQ(mediaTrace(), (std::vector<std::wstring>{
                              L"DUZOZAREDMEDIA rejected=ISO_full_bleed_4A0_(2378.00_x_1682.00_MM) request=A0 "
                              L"actual=2378.0000x1682.0000 status=0",
                              L"DUZOZAREDMEDIA rejected=ISO_full_bleed_4A0_(1682.00_x_2378.00_MM) request=A0 "
                              L"actual=1682.0000x2378.0000 status=0",
                              L"DUZOZAREDMEDIA rejected=ISO_full_bleed_2A0_(1682.00_x_1189.00_MM) request=A0 "
                              L"actual=1682.0000x1189.0000 status=0",
                              L"DUZOZAREDMEDIA rejected=ISO_full_bleed_2A0_(1189.00_x_1682.00_MM) request=A0 "
                              L"actual=1189.0000x1682.0000 status=0",
                              L"DUZOZAREDMEDIA request=A0 borderless=ISO_full_bleed_A0_(1189.00_x_841.00_MM) set=0"}));
}

TEST_F(MediaSelectionTest, AFullBleedMediumOffByMoreThanATenthIsRejectedAndTheNaturalOneTakesItsPlace) {
  cad::PlotDevice& device = pdfDevice();
  for (const wchar_t* name : {L"ISO_full_bleed_A3_(420.00_x_297.00_MM)", L"ISO_full_bleed_A3_(297.00_x_420.00_MM)"}) {
    const cad::Medium original = *device.medium(name);
    device.removeMedium(name);
    cad::Medium off = original;
    off.width += 0.2;
    device.addMedium(off);
  }
  EXPECT_EQ(select(paper(L"a3", 297, 420), false), cad::eOk);
  EXPECT_EQ(settings_.canonicalMediaName, L"ISO_A3_(420.00_x_297.00_MM)");
  EXPECT_GT(settings_.marginTop, 0);
  // The full-bleed media now stand last in the catalogue; the first pass still tries them first.
  EXPECT_EQ(mediaTried(),
            (std::vector<std::wstring>{L"ISO_full_bleed_A3_(420.00_x_297.00_MM)",
                                       L"ISO_full_bleed_A3_(297.00_x_420.00_MM)", L"ISO_A3_(420.00_x_297.00_MM)"}));
  EXPECT_EQ(mediaTrace(),
            (std::vector<std::wstring>{L"DUZOZAREDMEDIA rejected=ISO_full_bleed_A3_(420.00_x_297.00_MM) request=a3 "
                                       L"actual=420.2000x297.0000 status=0",
                                       L"DUZOZAREDMEDIA rejected=ISO_full_bleed_A3_(297.00_x_420.00_MM) request=a3 "
                                       L"actual=297.2000x420.0000 status=0",
                                       L"DUZOZAREDMEDIA request=a3 natural=ISO_A3_(420.00_x_297.00_MM) set=0"}));
}

TEST_F(MediaSelectionTest, WithoutFullBleedMediaTheNaturalOneIsTaken) {
  pdfDevice().removeMediaNamedWith(L"full_bleed");
  EXPECT_EQ(select(paper(L"A1", 594, 841), true), cad::eOk);
  EXPECT_EQ(settings_.canonicalMediaName, L"ISO_A1_(841.00_x_594.00_MM)");
  EXPECT_EQ(mediaTrace(),
            (std::vector<std::wstring>{L"DUZOZAREDMEDIA request=A1 natural=ISO_A1_(841.00_x_594.00_MM) set=0"}));
}

TEST_F(MediaSelectionTest, WhenNoMediumOfTheSizeIsLeftTheSelectionSaysWhatItTried) {
  cad::PlotDevice& device = pdfDevice();
  EXPECT_EQ(device.removeMediaOfSize(297, 420), 4);
  device.addMedium({L"ISO_A3加长_(297.00_x_630.00_MM)", 297, 630});
  const std::size_t count = device.media().size();

  EXPECT_EQ(select(paper(L"A3", 297, 420), true), kVexBatchNoMediumFits);
  // The lengthened sheet holds "A3" in its name but not the size; the closest size is another sheet; the
  // exact metric name is not in the catalogue.
  EXPECT_EQ(mediaTried(),
            (std::vector<std::wstring>{L"ISO_A3加长_(297.00_x_630.00_MM)", L"ISO_A3_(297.00_x_420.00_MM)"}));
  const std::vector<std::wstring> trace = mediaTrace();
  ASSERT_EQ(trace.size(), 3u);
  EXPECT_EQ(trace[0],
            L"DUZOZAREDMEDIA rejected=ISO_A3加长_(297.00_x_630.00_MM) request=A3 actual=297.0000x630.0000 status=0");
  EXPECT_TRUE(trace[1].starts_with(L"DUZOZAREDMEDIA rejected=ISO_A3_(297.00_x_420.00_MM) request=A3 actual="));
  EXPECT_TRUE(trace[1].ends_with(L" status=" + std::to_wstring(cad::eInvalidInput)));
  EXPECT_EQ(trace[2],
            L"DUZOZAREDMEDIA no_exact_size request=A3 297.00x420.00 closest=0 list=0 count=" + std::to_wstring(count));
  EXPECT_EQ(static_cast<int>(kVexBatchNoMediumFits), 3);
}

TEST_F(MediaSelectionTest, ALengthenedSheetTakesItsOwnMediumByNameOrByItsExactName) {
  pdfDevice().addMedium({L"ISO_A3加长_(297.00_x_630.00_MM)", 297, 630});
  EXPECT_EQ(select(paper(L"A3加长", 297, 630), true), cad::eOk);
  EXPECT_EQ(mediaTrace().back(), L"DUZOZAREDMEDIA request=A3加长 natural=ISO_A3加长_(297.00_x_630.00_MM) set=0");

  // The device cannot list its media and its closest-size search fails: the exact name still finds it.
  validator_->faults.canonicalMediaNameList = true;
  validator_->faults.setClosestMediaName = true;
  settings_.canonicalMediaName = L"ISO_A4_(210.00_x_297.00_MM)";
  validator_->calls.clear();
  EXPECT_EQ(select(paper(L"A3加长", 297, 630), true), cad::eOk);
  EXPECT_EQ(settings_.canonicalMediaName, L"ISO_A3加长_(297.00_x_630.00_MM)");
  EXPECT_EQ(mediaTrace().back(), L"DUZOZAREDMEDIA request=A3加长 closest=" +
                                     std::to_wstring(validator_->faults.failStatus) +
                                     L" exact=ISO_A3加长_(297.00_x_630.00_MM) set=0");

  // Without the medium nothing fits; the trace gives the failed list and its empty count.
  pdfDevice().removeMedium(L"ISO_A3加长_(297.00_x_630.00_MM)");
  EXPECT_EQ(select(paper(L"A3加长", 297, 630), true), kVexBatchNoMediumFits);
  const std::wstring failed = std::to_wstring(validator_->faults.failStatus);
  EXPECT_EQ(mediaTrace().back(), L"DUZOZAREDMEDIA no_exact_size request=A3加长 297.00x630.00 closest=" + failed +
                                     L" list=" + failed + L" count=0");
}

TEST_F(MediaSelectionTest, APaperWithoutANameGoesStraightToTheClosestSizeInItsOrientation) {
  EXPECT_EQ(select(paper(L"", 297, 420), true), cad::eOk);
  EXPECT_EQ(settings_.canonicalMediaName, L"ISO_full_bleed_A3_(420.00_x_297.00_MM)");
  EXPECT_EQ(select(paper(L"", 297, 420), false), cad::eOk);
  EXPECT_EQ(settings_.canonicalMediaName, L"ISO_full_bleed_A3_(297.00_x_420.00_MM)");
  EXPECT_TRUE(mediaTried().empty());
  EXPECT_TRUE(mediaTrace().empty());

  // A size no medium has: the closest one is refused by size and the exact name does not exist.
  EXPECT_EQ(select(paper(L"", 300, 500), true), kVexBatchNoMediumFits);
  EXPECT_EQ(mediaTried(), (std::vector<std::wstring>{L"ISO__(300.00_x_500.00_MM)"}));
}

}  // namespace
}  // namespace plot_test
