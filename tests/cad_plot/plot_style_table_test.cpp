// Plot-style tables: written and read back unchanged, any damage refused, and the pens they give.

#include <gtest/gtest.h>

#include <string>

#include "cad/plot/plot_style_table.h"
#include "foundation/files.h"
#include "temp_folder.h"

namespace {

using namespace cad;

PlotStyleTable customColourTable() {
  PlotStyleTable t = PlotStyleTable::colorDependent(L"Pens for \"plans\"\nsecond line, 黑白 \\ back");
  t.styles[0].color = PenColor{0, 0, 0};
  t.styles[0].lineweight = 0.05;
  t.styles[1].screen = 50;
  t.styles[1].description = L"half ink";
  t.styles[254].color = PenColor{0x12, 0xAB, 0xFE};
  t.styles[254].lineweight = 2.11;
  return t;
}

PlotStyleTable customNamedTable() {
  PlotStyleTable t = PlotStyleTable::named(L"named");
  t.styles.push_back({L"Heavy", L"walls", PenColor{10, 20, 30}, 0.7, 100});
  t.styles.push_back({L"Hidden Lines", L"", std::nullopt, 0.13, 30});
  return t;
}

TEST(PlotStyleTable, WrittenTablesReadBackUnchanged) {
  TempFolder folder("plot-style-test");
  for (const PlotStyleTable& table : {customColourTable(), customNamedTable()}) {
    const std::string path = folder / ("table" + plotStyleSuffix(table.kind));
    ASSERT_TRUE(writePlotStyleTable(table, path));
    const PlotStyleTableRead read = readPlotStyleTable(path);
    ASSERT_TRUE(read.table) << read.error;
    EXPECT_EQ(*read.table, table);
  }
}

TEST(PlotStyleTable, AnyDamageIsRefusedWithAReason) {
  const std::string good = encodePlotStyleTable(customColourTable());
  ASSERT_TRUE(decodePlotStyleTable(good).table);
  const std::size_t streamStart = good.find("\r\n") + 2 + 12;

  struct Case {
    const char* what;
    std::string bytes;
  };
  std::vector<Case> cases = {
      {"empty", ""},
      {"header only", good.substr(0, streamStart)},
      {"truncated stream", good.substr(0, good.size() - 7)},
      {"a byte after the end", good + "x"},
      {"another kind of file", "%PDF-1.4\n" + good.substr(9)},
      {"unknown kind",
       [&] {
         std::string b = good;
         b.replace(19, 3, "XTB");
         return b;
       }()},
  };
  // One byte changed anywhere in the binary fields or the stream.
  for (std::size_t at : {streamStart - 12, streamStart - 8, streamStart - 3, streamStart, streamStart + 1,
                         streamStart + (good.size() - streamStart) / 2, good.size() - 5, good.size() - 1}) {
    std::string b = good;
    b[at] = static_cast<char>(b[at] ^ 0x5A);
    cases.push_back({"changed byte", b});
  }
  // Text that is well packed but says something wrong.
  const std::string style = " 1{\n  name=\"Color_1\"\n  color=object\n  lineweight=object\n }\n";
  std::string allStyles = "plot_style{\n";
  for (int i = 1; i <= 255; ++i) {
    allStyles.append(" ").append(std::to_string(i)).append("{\n  name=\"Color_").append(std::to_string(i));
    allStyles += "\"\n  color=object\n  lineweight=object\n }\n";
  }
  allStyles += "}\n";
  ASSERT_TRUE(decodePlotStyleTable(packPlotStyleTable(PlotStyleKind::kColorDependent, allStyles)).table);
  const auto spoilt = [&](const std::string& from, const std::string& to) {
    std::string text = allStyles;
    text.replace(text.find(from), from.size(), to);
    return packPlotStyleTable(PlotStyleKind::kColorDependent, text);
  };
  cases.push_back(
      {"too few styles", packPlotStyleTable(PlotStyleKind::kColorDependent, "plot_style{\n" + style + "}\n")});
  cases.push_back({"unclosed block", spoilt("}\n", "")});
  cases.push_back({"a style out of order", spoilt(" 2{", " 3{")});
  cases.push_back({"bad colour", spoilt("color=object", "color=#12345")});
  cases.push_back({"lineweight too heavy", spoilt("lineweight=object", "lineweight=3")});
  cases.push_back({"screen out of range", spoilt("lineweight=object", "lineweight=object\n  screen=101")});
  cases.push_back({"unknown field", spoilt("color=object", "colour=object")});
  cases.push_back({"field twice", spoilt("color=object", "color=object\n  color=object")});
  cases.push_back({"unquoted name", spoilt("name=\"Color_1\"", "name=Color_1")});
  cases.push_back({"two styles, one name", spoilt("name=\"Color_2\"", "name=\"color_1\"")});
  cases.push_back({"not UTF-8", spoilt("name=\"Color_1\"", "name=\"Color_\xFF\"")});
  cases.push_back({"named table without styles", packPlotStyleTable(PlotStyleKind::kNamed, "plot_style{\n}\n")});

  for (const Case& c : cases) {
    const PlotStyleTableRead read = decodePlotStyleTable(c.bytes);
    EXPECT_FALSE(read.table) << c.what;
    EXPECT_FALSE(read.error.empty()) << c.what;
  }
}

TEST(PlotStyleTable, AFileWhoseSuffixDoesNotNameItsKindIsRefused) {
  TempFolder folder("plot-style-test");
  ASSERT_TRUE(foundation::writeFileAtomically(folder / "colour.stb", encodePlotStyleTable(customColourTable())));
  EXPECT_FALSE(readPlotStyleTable(folder / "colour.stb").table);
  ASSERT_TRUE(foundation::writeFileAtomically(folder / "COLOUR.CTB", encodePlotStyleTable(customColourTable())));
  EXPECT_TRUE(readPlotStyleTable(folder / "COLOUR.CTB").table);
  const PlotStyleTableRead missing = readPlotStyleTable(folder / "absent.ctb");
  EXPECT_FALSE(missing.table);
  EXPECT_NE(missing.error.find("absent.ctb"), std::string::npos);
}

TEST(PlotStyleTable, PensTakeTheStyleColourLineweightAndScreening) {
  const PlotStyleTable ctb = customColourTable();
  const PenColor red{255, 0, 0};
  // Colour 1 plots black at 0.05 mm whatever the object says.
  EXPECT_EQ(penFor(ctb.styleForColor(1), red, 0.5), (Pen{{0, 0, 0}, 0.05}));
  // Colour 2 keeps the object's colour at half ink and its lineweight.
  EXPECT_EQ(penFor(ctb.styleForColor(2), red, 0.5), (Pen{{255, 128, 128}, 0.5}));
  EXPECT_EQ(penFor(ctb.styleForColor(255), red, 0.5), (Pen{{0x12, 0xAB, 0xFE}, 2.11}));
  EXPECT_EQ(penFor(nullptr, red, 0.5), (Pen{red, 0.5}));
  EXPECT_EQ(ctb.styleForColor(0), nullptr);
  EXPECT_EQ(ctb.styleForColor(256), nullptr);
  EXPECT_EQ(ctb.styleNamed(L"Color_1"), nullptr);

  const PlotStyleTable stb = customNamedTable();
  ASSERT_NE(stb.styleNamed(L"hidden lines"), nullptr);
  EXPECT_EQ(penFor(stb.styleNamed(L"hidden lines"), {0, 0, 0}, 0.25), (Pen{{179, 179, 179}, 0.13}));
  EXPECT_EQ(stb.styleNamed(L"Absent"), nullptr);
  EXPECT_EQ(stb.styleForColor(1), nullptr);
}

}  // namespace
