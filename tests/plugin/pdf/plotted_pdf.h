#pragma once
// Real plotted PDFs for the PDF tests: a fresh stand-in host with a drawing of one paper-space layout, whose
// sheets are plotted through the plot-settings validator, the plot-info validator and the publish engine onto
// the PDF device's media, drawn by the frame renderer. Also a look at where the ink of a page lands, rendered
// by pdftoppm at low resolution.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cad/database.h"
#include "cad/plot/plot_settings.h"
#include "pdf/page_geometry.h"
#include "temp_folder.h"

namespace pdftest {

inline constexpr double kPointsPerMm = 72.0 / 25.4;

// One sheet to plot on the layout "Sheet" (paper-space units are millimetres).
struct Sheet {
  std::wstring medium;  // a canonical medium of the PDF device
  cad::PlotRotation rotation = cad::PlotRotation::k0degrees;
  bool window = true;  // a window plot, centred and fitted; false plots the whole layout at 1:1
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

// A window sheet of w × h at the origin.
Sheet windowSheet(std::wstring medium, double w, double h, cad::PlotRotation rotation = cad::PlotRotation::k0degrees);
Sheet layoutSheet(std::wstring medium, cad::PlotRotation rotation = cad::PlotRotation::k0degrees);

class PlottedPdfTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Plots the sheets into one PDF; false when any step of the host refused. `windows` (when given) receives
  // each sheet's plot window as captured from its validated settings (all zero for a whole layout).
  bool plot(const std::vector<Sheet>& sheets, const std::string& path,
            std::vector<quodl::PdfPlotWindow>* windows = nullptr);

  std::string path(const std::string& name) const { return *folder_ / name; }
  // The names in the test's folder, sorted.
  std::vector<std::string> entries() const;

  std::unique_ptr<TempFolder> folder_;
  std::unique_ptr<cad::Database> db_;
};

// Where a plot window lies on the validated paper, as the page preparation captures it.
quodl::PdfPlotWindow capturedWindow(const cad::PlotSettings& validated);

// A page's media box and /Rotate as the PDF says; nothing when the file or page cannot be read.
struct PageBox {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  int rotation = 0;
};
std::vector<PageBox> pageBoxes(const std::string& pdf);

// Where ink lands on a page as a viewer shows it, in points from its lower-left corner, rendered by pdftoppm
// at `dpi` without smoothing: `any` holds all ink, `dark` the black of the corner square and the bleed bar.
struct Ink {
  double pointsPerPixel = 0;
  int width = 0, height = 0;  // pixels
  std::optional<quodl::PdfRect> any;
  std::optional<quodl::PdfRect> dark;
};
std::optional<Ink> pageInk(const std::string& pdf, int page, int dpi = 18);

std::string fileBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);

}  // namespace pdftest
