// Writes the plot-style tables cadhost ships into a folder (support/Plot Styles in the source tree):
//   make_plot_styles FOLDER
// monochrome.ctb plots every colour black; colour.ctb plots every colour as it is. Both keep each object's
// lineweight.

#include <cstdio>
#include <string>

#include "cad/plot/plot_style_table.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_plot_styles FOLDER\n");
    return 2;
  }
  cad::PlotStyleTable monochrome = cad::PlotStyleTable::colorDependent(L"Every colour plots black");
  for (cad::PlotStyle& style : monochrome.styles) style.color = cad::PenColor{0, 0, 0};
  cad::PlotStyleTable colour = cad::PlotStyleTable::colorDependent(L"Every colour plots as it is");
  const std::string folder = argv[1];
  for (const auto& [name, table] : {std::pair{"monochrome.ctb", &monochrome}, std::pair{"colour.ctb", &colour}}) {
    const foundation::FileResult written = cad::writePlotStyleTable(*table, folder + "/" + name);
    if (!written) {
      std::fprintf(stderr, "%s\n", written.error.c_str());
      return 1;
    }
  }
  return 0;
}
