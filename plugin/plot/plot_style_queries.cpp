#include "plot/plot_style_queries.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

#include "cad/database.h"
#include "cad/plot/plot_settings_validator.h"
#include "cad/result_buffer.h"
#include "cad/sysvars.h"
#include "core/host_bridge.h"
#include "foundation/text.h"
#include "foundation/transforms.h"

namespace {

constexpr std::array<std::string_view, 7> kPreferredAllKinds = {
    "monochrome.ctb",     "acad.ctb",       "Grayscale.ctb", "Autodesk-MONO.stb",
    "Autodesk-Color.stb", "monochrome.stb", "acad.stb"};
constexpr std::array<std::string_view, 4> kPreferredNamed = {"Autodesk-MONO.stb", "Autodesk-Color.stb",
                                                             "monochrome.stb", "acad.stb"};
constexpr std::array<std::string_view, 3> kPreferredColorDependent = {"monochrome.ctb", "acad.ctb", "Grayscale.ctb"};

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::span<const std::string_view> preferredNames(bool allKinds, bool named) {
  if (allKinds) return kPreferredAllKinds;
  if (named) return kPreferredNamed;
  return kPreferredColorDependent;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return foundation::caseFolded(a) == foundation::caseFolded(b);
}

}  // namespace

bool vexBatchUsesNamedPlotStyles() {
  if (!vexBatchHasActiveDocument()) return false;
  cad::resbuf value;
  const int status = cad::acedGetVar(L"PSTYLEMODE", &value);
  bool named = false;
  if (status == cad::RTNORM) {
    if (value.restype == cad::RTSHORT) named = value.resval.rint == 0;
    if (value.restype == cad::RTLONG) named = value.resval.rlong == 0;
  }
  if (value.restype == cad::RTSTR && value.resval.rstring != nullptr) cad::acutDelString(value.resval.rstring);
  return named;
}

std::wstring vexBatchRequiredPlotStyleSuffix() { return vexBatchUsesNamedPlotStyles() ? L".stb" : L".ctb"; }

bool vexDuzozAredStyleMatchesCurrentDrawing(const std::wstring& styleSheet) {
  if (styleSheet.empty()) return true;
  const std::string name = foundation::lowercased(foundation::utf8FromWideLossy(styleSheet));
  return endsWith(name, foundation::utf8FromWideLossy(vexBatchRequiredPlotStyleSuffix()));
}

std::vector<std::string> vexBatchAvailablePlotStyles(bool allKinds) {
  if (!vexBatchHasActiveDocument()) return {};
  const bool named = vexBatchUsesNamedPlotStyles();
  const std::string required = named ? ".stb" : ".ctb";

  std::vector<std::string> found;
  std::vector<std::wstring> listed;
  cad::PlotSettingsValidator* validator = cad::acdbHostApplicationServices()->plotSettingsValidator();
  if (validator != nullptr && validator->plotStyleSheetList(listed) == cad::eOk) {
    for (const std::wstring& entry : listed) {
      if (entry.empty()) continue;
      std::string name = foundation::utf8FromWideLossy(entry);
      const std::string lower = foundation::lowercased(name);
      const bool fits = allKinds ? endsWith(lower, ".ctb") || endsWith(lower, ".stb") : endsWith(lower, required);
      if (fits && std::find(found.begin(), found.end(), name) == found.end()) found.push_back(std::move(name));
    }
  }

  const std::span<const std::string_view> preferred = preferredNames(allKinds, named);
  std::vector<std::string> offered;
  for (std::string_view want : preferred) {
    const auto it =
        std::find_if(found.begin(), found.end(), [&](const std::string& f) { return sameIgnoringCase(f, want); });
    if (it == found.end()) continue;
    offered.push_back(std::move(*it));
    found.erase(it);
  }
  std::stable_sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
    return foundation::caseFolded(a) < foundation::caseFolded(b);
  });
  offered.insert(offered.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
  return offered;
}
