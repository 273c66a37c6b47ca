#pragma once
// A stand-in host for the plot pipeline's preparing steps: a plot-styles folder of its own with the usual
// tables, per-user folders in a private place, and a drawing opened as the active document. The drawing is
// built by the test or read from samples/.

#include <memory>
#include <string>
#include <vector>

#include "cad/database.h"
#include "cad/plot/plot_device.h"
#include "cad/plot/plot_settings.h"
#include "host_fixture.h"
#include "temp_folder.h"

namespace plot_test {

// The tables a host's plot-styles folder usually holds.
inline const std::vector<std::string> kUsualStyleTables = {"acad.ctb",          "monochrome.ctb",    "Grayscale.ctb",
                                                           "Screening 50%.ctb", "acad.stb",          "monochrome.stb",
                                                           "Autodesk-MONO.stb", "Autodesk-Color.stb"};

class PlotPipelineTest : public HostTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Opens the drawing as the active document (its database becomes the working one).
  cad::Database& open(std::unique_ptr<cad::Database> db, const std::wstring& path = L"/drawings/plot.dwg");
  // Reads a drawing of samples/ and opens it.
  cad::Database& openSample(const std::string& fileName);
  cad::Database& db() { return *db_; }
  cad::Layout& layout(const std::wstring& name);

  // Writes a plot-style table of that name into the plot-styles folder.
  void addStyleTable(const std::string& name) const;
  void removeStyleTables() const;
  cad::PlotDevice& pdfDevice();

  // The command line's lines that begin with `tag`, without the line break before them.
  static std::vector<std::wstring> traceLines(const std::wstring& tag);
  // The current layout as CTAB reads.
  static std::wstring ctab();

  std::unique_ptr<TempFolder> folder_;
  std::string stylesFolder_;

 private:
  cad::Database* db_ = nullptr;
};

}  // namespace plot_test
