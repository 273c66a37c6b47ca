#include "cad/plot/plot_device.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

namespace cad {

namespace {

constexpr double kMmPerInch = 25.4;

// Printers leave more room at the top and bottom than at the sides, and not quite the same at both.
constexpr double kNaturalLeft = 5.0, kNaturalBottom = 12.0, kNaturalRight = 7.0, kNaturalTop = 15.0;

std::wstring fixed2(double value) {
  wchar_t text[64];
  std::swprintf(text, 64, L"%.2f", value);
  return text;
}

void addBothWays(std::vector<Medium>& out, std::wstring_view prefix, std::wstring_view paper, double shortSide,
                 double longSide, bool margins) {
  for (const auto& [w, h] : {std::pair{longSide, shortSide}, std::pair{shortSide, longSide}}) {
    Medium m;
    m.canonicalName = isoMediumName(prefix, paper, w, h);
    m.width = w;
    m.height = h;
    if (margins) {
      m.left = kNaturalLeft;
      m.bottom = kNaturalBottom;
      m.right = kNaturalRight;
      m.top = kNaturalTop;
    }
    out.push_back(std::move(m));
  }
}

void addAnsi(std::vector<Medium>& out, std::wstring_view letter, double shortIn, double longIn, bool fullBleed) {
  for (const auto& [w, h] : {std::pair{shortIn, longIn}, std::pair{longIn, shortIn}}) {
    Medium m;
    m.canonicalName = std::wstring(fullBleed ? L"ANSI_full_bleed_" : L"ANSI_") + std::wstring(letter) + L"_(" +
                      fixed2(w) + L"_x_" + fixed2(h) + L"_Inches)";
    m.width = w * kMmPerInch;
    m.height = h * kMmPerInch;
    m.units = PlotPaperUnits::kInches;
    if (!fullBleed) {
      m.left = kNaturalLeft;
      m.bottom = kNaturalBottom;
      m.right = kNaturalRight;
      m.top = kNaturalTop;
    }
    out.push_back(std::move(m));
  }
}

bool sameSize(const Medium& m, double w, double h) {
  const auto near = [](double a, double b) { return std::fabs(a - b) <= 0.01; };
  return (near(m.width, w) && near(m.height, h)) || (near(m.width, h) && near(m.height, w));
}

}  // namespace

std::wstring isoMediumName(std::wstring_view prefix, std::wstring_view paper, double width, double height) {
  return std::wstring(prefix) + std::wstring(paper) + L"_(" + fixed2(width) + L"_x_" + fixed2(height) + L"_MM)";
}

std::vector<Medium> standardPdfMedia() {
  struct Iso {
    const wchar_t* name;
    double shortSide, longSide;
  };
  // Larger sheets first: their names hold "A0" too, so a search by name meets them before the real A0.
  static constexpr Iso kLarger[] = {{L"4A0", 1682, 2378}, {L"2A0", 1189, 1682}};
  static constexpr Iso kSeries[] = {
      {L"A0", 841, 1189}, {L"A1", 594, 841}, {L"A2", 420, 594}, {L"A3", 297, 420}, {L"A4", 210, 297}};
  std::vector<Medium> media;
  for (const Iso& s : kLarger) addBothWays(media, L"ISO_full_bleed_", s.name, s.shortSide, s.longSide, false);
  for (const Iso& s : kSeries) addBothWays(media, L"ISO_full_bleed_", s.name, s.shortSide, s.longSide, false);
  for (const Iso& s : kSeries) addBothWays(media, L"ISO_", s.name, s.shortSide, s.longSide, true);
  static constexpr Iso kAnsi[] = {{L"A", 8.5, 11}, {L"B", 11, 17}, {L"C", 17, 22}, {L"D", 22, 34}, {L"E", 34, 44}};
  for (const Iso& s : kAnsi) addAnsi(media, s.name, s.shortSide, s.longSide, true);
  for (const Iso& s : kAnsi) addAnsi(media, s.name, s.shortSide, s.longSide, false);
  return media;
}

const Medium* smallestMediumHolding(const PlotDevice& device, double width, double height, PlotPaperUnits units) {
  constexpr double kTolerance = 0.1;
  const auto fullBleed = [](const Medium& m) { return m.left == 0 && m.bottom == 0 && m.right == 0 && m.top == 0; };
  for (const bool inUnits : {true, false}) {
    const Medium* best = nullptr;
    for (const Medium& m : device.media()) {
      if (inUnits && m.units != units) continue;
      if (!(m.width + kTolerance >= width && m.height + kTolerance >= height)) continue;
      const double area = m.width * m.height;
      const double bestArea = best == nullptr ? 0 : best->width * best->height;
      if (best == nullptr || area < bestArea || (area == bestArea && fullBleed(m) && !fullBleed(*best))) best = &m;
    }
    if (best != nullptr) return best;
  }
  return nullptr;
}

PlotDevice::PlotDevice(std::wstring name, std::vector<Medium> media, std::wstring defaultMedium, bool writesPdf)
    : name_(std::move(name)),
      media_(std::move(media)),
      defaultMedium_(std::move(defaultMedium)),
      writesPdf_(writesPdf) {}

const Medium* PlotDevice::medium(std::wstring_view canonicalName) const {
  for (const Medium& m : media_) {
    if (m.canonicalName == canonicalName) return &m;
  }
  return nullptr;
}

const Medium* PlotDevice::defaultMedium() const {
  if (const Medium* m = medium(defaultMedium_)) return m;
  return media_.empty() ? nullptr : &media_.front();
}

void PlotDevice::addMedium(Medium medium) { media_.push_back(std::move(medium)); }

bool PlotDevice::removeMedium(std::wstring_view canonicalName) {
  return std::erase_if(media_, [&](const Medium& m) { return m.canonicalName == canonicalName; }) > 0;
}

int PlotDevice::removeMediaOfSize(double width, double height) {
  return static_cast<int>(std::erase_if(media_, [&](const Medium& m) { return sameSize(m, width, height); }));
}

int PlotDevice::removeMediaNamedWith(std::wstring_view part) {
  return static_cast<int>(
      std::erase_if(media_, [&](const Medium& m) { return m.canonicalName.find(part) != std::wstring::npos; }));
}

}  // namespace cad
