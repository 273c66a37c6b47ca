#include "plot/media_selection.h"

#include <array>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <string>
#include <string_view>
#include <vector>

#include "cad/command_line.h"
#include "cad/plot/plot_settings.h"
#include "cad/plot/plot_settings_validator.h"

namespace {

constexpr double kMediaTolerance = 0.1;  // mm

constexpr std::array<std::wstring_view, 4> kBorderlessMarks = {L"full_bleed", L"full bleed", L"fullbleed",
                                                               L"borderless"};

std::wstring lowercase(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return out;
}

bool isBorderless(const std::wstring& lowerName) {
  for (std::wstring_view mark : kBorderlessMarks) {
    if (lowerName.find(mark) != std::wstring::npos) return true;
  }
  return false;
}

std::wstring fixed2(double value) {
  wchar_t text[64];
  std::swprintf(text, 64, L"%.2f", value);
  return text;
}

// Sets the medium and keeps it only when it has the paper's size; a rejected one is traced.
bool tryMedium(cad::PlotSettingsValidator* validator, cad::PlotSettings* settings, const std::wstring& medium,
               const VexBatchPrintPaperSpec& paper) {
  const cad::ErrorStatus status = validator->setCanonicalMediaName(settings, medium.c_str());
  if (status == cad::eOk && vexBatchMediaMatchesPaper(settings, paper)) return true;
  double width = 0, height = 0;
  if (settings->getPlotPaperSize(width, height) != cad::eOk) width = height = 0;
  cad::acutPrintf(L"\nDUZOZAREDMEDIA rejected=%ls request=%ls actual=%.4fx%.4f status=%d", medium.c_str(),
                  paper.name.c_str(), width, height, static_cast<int>(status));
  return false;
}

}  // namespace

bool vexBatchMediaMatchesPaper(const cad::PlotSettings* settings, const VexBatchPrintPaperSpec& paper) {
  if (settings == nullptr) return false;
  double width = 0, height = 0;
  if (settings->getPlotPaperSize(width, height) != cad::eOk) return false;
  if (!std::isfinite(width) || !std::isfinite(height)) return false;
  if (!(paper.shortSide > 0) || !(paper.longSide > 0)) return false;
  return std::fabs(std::fmin(width, height) - paper.shortSide) <= kMediaTolerance &&
         std::fabs(std::fmax(width, height) - paper.longSide) <= kMediaTolerance;
}

bool vexBatchMediumHolds(const cad::PlotSettings* settings, double width, double height) {
  double mw = 0, mh = 0;
  if (settings == nullptr || settings->getPlotPaperSize(mw, mh) != cad::eOk) return false;
  return mw + kMediaTolerance >= width && mh + kMediaTolerance >= height;
}

cad::ErrorStatus vexBatchSelectMediumHolding(cad::PlotSettingsValidator* validator, cad::PlotSettings* settings,
                                             double width, double height, cad::PlotPaperUnits units) {
  if (validator == nullptr || settings == nullptr) return kVexBatchNoMediumFits;
  std::vector<std::wstring> media;
  if (validator->canonicalMediaNameList(settings, media) != cad::eOk) media.clear();
  const wchar_t* unitMark = units == cad::PlotPaperUnits::kInches ? L"_inches)" : L"_mm)";
  for (const bool inUnits : {true, false}) {
    const std::wstring* best = nullptr;
    double bestArea = 0;
    bool bestBorderless = false;
    for (const std::wstring& medium : media) {
      const std::wstring lower = lowercase(medium);
      if (inUnits && !lower.ends_with(unitMark)) continue;
      if (medium.empty() || validator->setCanonicalMediaName(settings, medium.c_str()) != cad::eOk) continue;
      double mw = 0, mh = 0;
      if (!vexBatchMediumHolds(settings, width, height) || settings->getPlotPaperSize(mw, mh) != cad::eOk) continue;
      const double area = mw * mh;
      const bool borderless = isBorderless(lower);
      if (best == nullptr || area < bestArea || (area == bestArea && borderless && !bestBorderless)) {
        best = &medium;
        bestArea = area;
        bestBorderless = borderless;
      }
    }
    if (best != nullptr && validator->setCanonicalMediaName(settings, best->c_str()) == cad::eOk) {
      cad::acutPrintf(L"\nDUZOZAREDMEDIA holds=%.2fx%.2f medium=%ls set=0", width, height, best->c_str());
      return cad::eOk;
    }
  }
  cad::acutPrintf(L"\nDUZOZAREDMEDIA none_holds=%.2fx%.2f count=%ld", width, height, static_cast<long>(media.size()));
  return kVexBatchNoMediumFits;
}

cad::ErrorStatus vexBatchSelectMedia(cad::PlotSettingsValidator* validator, cad::PlotSettings* settings,
                                     const VexBatchPrintPaperSpec& paper, bool landscape, bool preferBorderless) {
  if (validator == nullptr || settings == nullptr) return kVexBatchNoMediumFits;

  std::vector<std::wstring> listed;
  const cad::ErrorStatus listStatus = validator->canonicalMediaNameList(settings, listed);
  std::vector<std::wstring> media;
  if (listStatus == cad::eOk) {
    for (std::wstring& name : listed) {
      if (!name.empty()) media.push_back(std::move(name));
    }
  }

  const std::wstring request = lowercase(paper.name);
  if (!request.empty()) {
    for (const bool borderlessPass : {preferBorderless, !preferBorderless}) {
      for (const std::wstring& medium : media) {
        const std::wstring lower = lowercase(medium);
        if (lower.find(request) == std::wstring::npos || isBorderless(lower) != borderlessPass) continue;
        if (!tryMedium(validator, settings, medium, paper)) continue;
        cad::acutPrintf(borderlessPass ? L"\nDUZOZAREDMEDIA request=%ls borderless=%ls set=0"
                                       : L"\nDUZOZAREDMEDIA request=%ls natural=%ls set=0",
                        paper.name.c_str(), medium.c_str());
        return cad::eOk;
      }
    }
  }

  const double width = landscape ? paper.longSide : paper.shortSide;
  const double height = landscape ? paper.shortSide : paper.longSide;
  const cad::ErrorStatus closest =
      validator->setClosestMediaName(settings, width, height, cad::PlotPaperUnits::kMillimeters, true);
  if (closest == cad::eOk && vexBatchMediaMatchesPaper(settings, paper)) return cad::eOk;

  const std::wstring exact =
      L"ISO_" + paper.name + L"_(" + fixed2(paper.shortSide) + L"_x_" + fixed2(paper.longSide) + L"_MM)";
  if (tryMedium(validator, settings, exact, paper)) {
    cad::acutPrintf(L"\nDUZOZAREDMEDIA request=%ls closest=%d exact=%ls set=0", paper.name.c_str(),
                    static_cast<int>(closest), exact.c_str());
    return cad::eOk;
  }

  cad::acutPrintf(L"\nDUZOZAREDMEDIA no_exact_size request=%ls %.2fx%.2f closest=%d list=%d count=%ld",
                  paper.name.c_str(), paper.shortSide, paper.longSide, static_cast<int>(closest),
                  static_cast<int>(listStatus), static_cast<long>(media.size()));
  return kVexBatchNoMediumFits;
}
