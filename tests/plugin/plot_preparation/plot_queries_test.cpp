// The plot-style, device and font queries the preflight, the panels and the plot run ask of the host.

#include <string>
#include <vector>

#include "cad/find_file.h"
#include "cad/host_paths.h"
#include "cad/plot/font_search.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_settings_validator.h"
#include "cad/sysvars.h"
#include "foundation/files.h"
#include "foundation/text.h"
#include "plot/plot_style_queries.h"
#include "plot/preflight_queries.h"
#include "plot_fixture.h"

namespace plot_test {
namespace {

using Names = std::vector<std::string>;

std::unique_ptr<cad::Database> drawing(bool namedPlotStyles) {
  auto db = cad::Database::createDefault();
  db->headerVariables[L"$PSTYLEMODE"] = namedPlotStyles ? L"0" : L"1";
  return db;
}

TEST_F(PlotPipelineTest, WithoutADrawingColourTablesAreRequiredAndNoneAreOffered) {
  EXPECT_FALSE(vexBatchUsesNamedPlotStyles());
  EXPECT_EQ(vexBatchRequiredPlotStyleSuffix(), L".ctb");
  EXPECT_TRUE(vexBatchAvailablePlotStyles(false).empty());
  EXPECT_TRUE(vexBatchAvailablePlotStyles(true).empty());
  EXPECT_TRUE(vexDuzozAredStyleMatchesCurrentDrawing(L""));
}

TEST_F(PlotPipelineTest, TheDrawingsPlotStyleModeDecidesWhichTablesFit) {
  struct Case {
    const wchar_t* style;
    bool fitsColourDrawing;
    bool fitsNamedDrawing;
  };
  const Case cases[] = {
      {L"", true, true},
      {L"monochrome.ctb", true, false},
      {L"Monochrome.CTB", true, false},
      {L"Autodesk-MONO.stb", false, true},
      {L"ACAD.STB", false, true},
      {L"acad.ctb.stb", false, true},
      {L"ctb", false, false},
      {L"monochrome.ctb ", false, false},
  };
  open(drawing(false));
  EXPECT_FALSE(vexBatchUsesNamedPlotStyles());
  EXPECT_EQ(vexBatchRequiredPlotStyleSuffix(), L".ctb");
  for (const Case& c : cases)
    EXPECT_EQ(vexDuzozAredStyleMatchesCurrentDrawing(c.style), c.fitsColourDrawing) << c.style;

  open(drawing(true));
  EXPECT_TRUE(vexBatchUsesNamedPlotStyles());
  EXPECT_EQ(vexBatchRequiredPlotStyleSuffix(), L".stb");
  for (const Case& c : cases) EXPECT_EQ(vexDuzozAredStyleMatchesCurrentDrawing(c.style), c.fitsNamedDrawing) << c.style;

  // A mode that cannot be read counts as colour-dependent.
  cad::systemVariables().faults.get.insert(L"PSTYLEMODE");
  EXPECT_FALSE(vexBatchUsesNamedPlotStyles());
  EXPECT_EQ(vexBatchRequiredPlotStyleSuffix(), L".ctb");
}

TEST_F(PlotPipelineTest, TheUsualTablesComeFirstAndTheRestFollowSortedIgnoringCase) {
  // The folder lists "GRAYSCALE.ctb" in place of "Grayscale.ctb" (one table per name, ignoring case); it still
  // takes the usual table's place, spelt as listed.
  for (const char* extra : {"zeta.ctb", "Beta.ctb", "alpha.CTB", "GRAYSCALE.ctb", "Custom.stb", "notes.txt"}) {
    addStyleTable(extra);
  }
  open(drawing(false));
  EXPECT_EQ(vexBatchAvailablePlotStyles(false), (Names{"monochrome.ctb", "acad.ctb", "GRAYSCALE.ctb", "alpha.CTB",
                                                       "Beta.ctb", "Screening 50%.ctb", "zeta.ctb"}));

  open(drawing(true));
  EXPECT_EQ(vexBatchAvailablePlotStyles(false),
            (Names{"Autodesk-MONO.stb", "Autodesk-Color.stb", "monochrome.stb", "acad.stb", "Custom.stb"}));
  // Every kind, whatever the drawing uses.
  EXPECT_EQ(
      vexBatchAvailablePlotStyles(true),
      (Names{"monochrome.ctb", "acad.ctb", "GRAYSCALE.ctb", "Autodesk-MONO.stb", "Autodesk-Color.stb", "monochrome.stb",
             "acad.stb", "alpha.CTB", "Beta.ctb", "Custom.stb", "Screening 50%.ctb", "zeta.ctb"}));
}

TEST_F(PlotPipelineTest, ATableMissingFromTheFolderIsNotOfferedAndAFailedListOffersNothing) {
  removeStyleTables();
  addStyleTable("acad.ctb");
  addStyleTable("Site.ctb");
  open(drawing(false));
  EXPECT_EQ(vexBatchAvailablePlotStyles(false), (Names{"acad.ctb", "Site.ctb"}));

  cad::acdbHostApplicationServices()->plotSettingsValidator()->faults.plotStyleSheetList = true;
  EXPECT_TRUE(vexBatchAvailablePlotStyles(false).empty());
  cad::acdbHostApplicationServices()->plotSettingsValidator()->faults.plotStyleSheetList = false;
  cad::setPlotSettingsValidatorAbsent(true);
  EXPECT_TRUE(vexBatchAvailablePlotStyles(true).empty());
}

TEST_F(PlotPipelineTest, APdfDeviceIsOneNamedPdfOrTheStandardPdfConfiguration) {
  cad::PlotConfigManager& manager = *cad::acplPlotConfigManagerPtr();
  EXPECT_TRUE(vexBatchHasPdfPlotDevice());

  // Only the standard configuration tells that this device writes PDF.
  manager.removeDevice(cad::kPdfDeviceName);
  manager.addDevice(cad::PlotDevice(L"Office Writer.pc3", cad::standardPdfMedia(), L"", true));
  manager.setStdConfigName(10, L"OFFICE WRITER.pc3");
  EXPECT_TRUE(vexBatchHasPdfPlotDevice());
  manager.setStdConfigName(10, L"");
  EXPECT_FALSE(vexBatchHasPdfPlotDevice());

  manager.addDevice(cad::PlotDevice(L"dwg to Pdf.pc3", {}, L"", false));
  EXPECT_TRUE(vexBatchHasPdfPlotDevice());
  manager.faults.devicesList = true;
  EXPECT_FALSE(vexBatchHasPdfPlotDevice());
  manager.faults.devicesList = false;
  cad::setPlotConfigManagerAbsent(true);
  EXPECT_FALSE(vexBatchHasPdfPlotDevice());
}

class FontQueryTest : public PlotPipelineTest {
 protected:
  void SetUp() override {
    PlotPipelineTest::SetUp();
    fonts_ = *folder_ / "fonts";
    ASSERT_TRUE(foundation::createDirectory(fonts_ + "/shx", true));
    ASSERT_TRUE(foundation::writeFileAtomically(fonts_ + "/shx/simplex.shx", "font"));
    ASSERT_TRUE(foundation::writeFileAtomically(fonts_ + "/gbcbig.shx", "font"));
    cad::setFontFolders({fonts_});
    cad::setSupportFolders({});
  }

  cad::ObjectId style(const std::wstring& name, const std::wstring& font, const std::wstring& bigFont = L"") {
    auto record = std::make_unique<cad::TextStyleTableRecord>();
    record->name = name;
    record->fileName = font;
    record->bigFontFileName = bigFont;
    auto& table = dynamic_cast<cad::TextStyleTable&>(*db().objectAt(db().textStyleTableId()));
    const cad::ObjectId id = db().addObject(std::move(record), table.objectId());
    table.recordIds.push_back(id);
    return id;
  }

  std::string fonts_;
};

TEST_F(FontQueryTest, FontFilesThatCannotBeFoundAreListedByStyleAndFileOnce) {
  open(cad::Database::createDefault());  // "Standard" uses "txt", a family name
  style(L"Notes", L"simplex.shx", L"gbcbig.shx");
  style(L"Title", L"romans.SHX", L"hztxt.shx");
  style(L"Dims", L"romans.SHX");
  style(L"Same", L"lost.shx", L"lost.shx");
  style(L"", L"nowhere.ttf");
  style(L"Family", L"Arial", L"SimSun");
  style(L"Other", L"missing.pfb");
  style(L"Absolute", foundation::wideFromUtf8Lossy(fonts_ + "/gbcbig.shx"), L"/no/such/folder/big.ttc");
  db().objectAt(style(L"Gone", L"erased.shx"))->setErased(true);
  db().objectAt(style(L"Locked", L"locked.otf"))->faults.open = true;
  style(L"Upper", L"UPPER.TTC");
  dynamic_cast<cad::TextStyleTableRecord&>(*db().objectAt(style(L"Unreadable", L"x.shx"))).failName = true;

  EXPECT_EQ(
      vexBatchMissingTextStyleFonts(),
      (std::vector<std::wstring>{L"Title｜romans.SHX", L"Title｜hztxt.shx", L"Dims｜romans.SHX", L"Same｜lost.shx",
                                 L"未命名样式｜nowhere.ttf", L"Absolute｜/no/such/folder/big.ttc", L"Upper｜UPPER.TTC",
                                 L"未命名样式｜x.shx"}));
  EXPECT_TRUE(db().openObjects().empty());
  EXPECT_EQ(db().strayCloses(), 0);

  db().faults.textStyleTable = true;
  EXPECT_TRUE(vexBatchMissingTextStyleFonts().empty());
}

TEST_F(FontQueryTest, AFontFileIsAvailableByAbsolutePathOrThroughTheHostsFontSearch) {
  cad::Database& drawing = open(cad::Database::createDefault());
  EXPECT_TRUE(vexBatchFontFileAvailable(L"", &drawing));
  EXPECT_TRUE(vexBatchFontFileAvailable(foundation::wideFromUtf8Lossy(fonts_ + "/gbcbig.shx"), &drawing));
  EXPECT_FALSE(vexBatchFontFileAvailable(foundation::wideFromUtf8Lossy(fonts_ + "/absent.shx"), &drawing));
  EXPECT_TRUE(vexBatchFontFileAvailable(L"SIMPLEX.shx", &drawing));  // in a font folder's sub-folder
  EXPECT_FALSE(vexBatchFontFileAvailable(L"absent.shx", &drawing));
  cad::findFileFaults().failing.insert(L"SIMPLEX.shx");
  EXPECT_FALSE(vexBatchFontFileAvailable(L"SIMPLEX.shx", &drawing));
  EXPECT_TRUE(vexBatchMissingTextStyleFonts().empty());
}

}  // namespace
}  // namespace plot_test
