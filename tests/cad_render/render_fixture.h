#pragma once
// Plots drawings through the publish engine with the drawing renderer installed, and looks at the pages as a
// viewer shows them: rendered by pdftoppm at a low resolution and read back as colour pixels.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cad/database.h"
#include "cad/plot/plot_settings.h"
#include "temp_folder.h"

namespace rendertest {

// One page as shown (its /Rotate applied), rows from the top.
struct Raster {
  int width = 0, height = 0;
  double dpi = 0;
  double originX = 0, originY = 0;  // mm of the sheet at the raster's lower-left corner
  std::vector<unsigned char> rgb;

  bool empty() const { return width == 0; }
  // Red, green, blue of a pixel.
  const unsigned char* at(int column, int row) const {
    return &rgb[(static_cast<std::size_t>(row) * width + column) * 3];
  }
  // Pixels of a rectangle given in millimetres from the shown sheet's lower-left corner.
  struct Counts {
    int pixels = 0, ink = 0, red = 0, green = 0, blue = 0, coloured = 0;
  };
  Counts count(double x, double y, double w, double h) const;
  // The box of the inked pixels, in millimetres from the sheet's lower-left corner; false when none is inked.
  struct Box {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  };
  bool inkBox(Box& box) const;
};

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Reads a drawing of samples/.
  void open(const std::string& sample);
  // Plots one layout to `name` in the test's folder: its settings switched to the PDF device, then changed by
  // `configure` through the settings validator, then validated. False when any step fails.
  bool plot(const std::wstring& layout, const std::function<void(cad::PlotSettings&)>& configure,
            const std::string& name = "plot.pdf");
  // Page `page` of a PDF of the test's folder as pdftoppm shows it at `dpi`; kept as a PNG beside it when
  // QUODL_RENDER_PNG_DIR names a folder, for a person to look at.
  Raster raster(const std::string& name, double dpi, int page = 1) const;
  // Only the part of page 1 from (x, y) mm, w × h mm, of a sheet `sheetHeight` mm high; counts within it are
  // still given in millimetres from the sheet's lower-left corner.
  Raster rasterPart(const std::string& name, double dpi, double x, double y, double w, double h,
                    double sheetHeight) const;

  std::string path(const std::string& name) const { return *folder_ / name; }

  std::unique_ptr<TempFolder> folder_;
  std::unique_ptr<cad::Database> db_;
};

// The whole A3 sheet at 1:1 from the sheet's corner, unturned, with a plot-style table (or none).
std::function<void(cad::PlotSettings&)> sheetAtFullSize(const std::wstring& styleSheet = L"",
                                                        cad::PlotRotation rotation = cad::PlotRotation::k0degrees);

}  // namespace rendertest
