#pragma once
// A fresh stand-in host per test with per-user folders of its own, a plot-styles folder, and a drawing whose
// layouts plot: "Model" with a 400 × 200 rectangle, "Sheet A3" on a full-bleed A3 sheet and "Sheet A4" on
// A4 portrait (a medium the PDF device does not have under that name).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cad/database.h"
#include "cad/plot/plot_settings.h"
#include "temp_folder.h"

namespace plottest {

class PlotTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  cad::Layout& layout(const std::wstring& name) const;
  // Settings copied from a layout and switched to the PDF device, as a plot would prepare them.
  std::unique_ptr<cad::PlotSettings> pdfSettings(const std::wstring& layoutName) const;
  // Writes a plot-style table of that name into the plot-styles folder.
  void addStyleTable(const std::string& name) const;

  std::unique_ptr<TempFolder> folder_;
  std::string stylesFolder_;
  std::unique_ptr<cad::Database> db_;
};

// One page's boxes and rotation as pdfinfo reports them.
struct PageBox {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  int rotation = 0;
};
// Every page of a PDF; empty when pdfinfo cannot read it.
std::vector<PageBox> pageBoxes(const std::string& pdf);

}  // namespace plottest
