// Writes plot-style tables into a folder:
//   make_plot_styles FOLDER          the tables cadhost ships (support/Plot Styles in the source tree)
//   make_plot_styles --lite FOLDER   the plug-in's monochrome 0.05 mm table (laid into its bundle's resources)
// monochrome.ctb plots every colour black; colour.ctb plots every colour as it is; both keep each object's
// lineweight. NUVOLK-Lite-Mono-005-v1.ctb plots every colour black at 0.05 mm. The same tables always give the
// same bytes, so an installed copy can be recognised by its content.

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cad/plot/plot_style_table.h"

namespace {

constexpr char kUsage[] = R"(Usage: make_plot_styles [--lite] FOLDER

Writes plot-style tables into FOLDER, which must exist:
  make_plot_styles FOLDER          monochrome.ctb (every colour plots black) and colour.ctb (every colour
                                   as it is), both keeping each object's lineweight: the tables cadhost
                                   ships in host/support/Plot Styles
  make_plot_styles --lite FOLDER   NUVOLK-Lite-Mono-005-v1.ctb (every colour black at 0.05 mm), which the
                                   build lays into the plug-in's bundle
The same tables always give the same bytes.
)";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const bool lite = arguments.size() == 2 && arguments[0] == "--lite";
  // A word that looks like an option is never taken for the folder.
  if ((arguments.size() != 1 && !lite) || arguments.back().empty() || arguments.back()[0] == '-') {
    std::fprintf(stderr, "usage: make_plot_styles [--lite] FOLDER\nTry make_plot_styles --help.\n");
    return 2;
  }
  std::vector<std::pair<const char*, cad::PlotStyleTable>> tables;
  if (lite) {
    cad::PlotStyleTable mono = cad::PlotStyleTable::colorDependent(L"Every colour plots black at 0.05 mm");
    for (cad::PlotStyle& style : mono.styles) {
      style.color = cad::PenColor{0, 0, 0};
      style.lineweight = 0.05;
    }
    tables.emplace_back("NUVOLK-Lite-Mono-005-v1.ctb", std::move(mono));
  } else {
    cad::PlotStyleTable monochrome = cad::PlotStyleTable::colorDependent(L"Every colour plots black");
    for (cad::PlotStyle& style : monochrome.styles) style.color = cad::PenColor{0, 0, 0};
    tables.emplace_back("monochrome.ctb", std::move(monochrome));
    tables.emplace_back("colour.ctb", cad::PlotStyleTable::colorDependent(L"Every colour plots as it is"));
  }
  const std::string& folder = arguments.back();
  for (const auto& [name, table] : tables) {
    const foundation::FileResult written = cad::writePlotStyleTable(table, folder + "/" + name);
    if (!written) {
      std::fprintf(stderr, "%s\n", written.error.c_str());
      return 1;
    }
  }
  return 0;
}
