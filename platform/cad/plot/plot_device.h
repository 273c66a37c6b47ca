#pragma once
// A plot device and its media catalogue, as the plot-configuration manager lists them. Tests change a
// device's catalogue to make media choices fail or go elsewhere.

#include <string>
#include <string_view>
#include <vector>

#include "cad/plot/plot_settings.h"

namespace cad {

struct Medium {
  std::wstring canonicalName;
  double width = 0, height = 0;                         // mm, in the order the name gives them
  double left = 0, bottom = 0, right = 0, top = 0;      // margins of the unturned sheet, mm
  PlotPaperUnits units = PlotPaperUnits::kMillimeters;  // the unit the name is written in

  double printableWidth() const { return width - left - right; }
  double printableHeight() const { return height - bottom - top; }
};

class PlotDevice {
 public:
  PlotDevice(std::wstring name, std::vector<Medium> media, std::wstring defaultMedium, bool writesPdf);

  const std::wstring& name() const { return name_; }
  const std::vector<Medium>& media() const { return media_; }
  // By canonical name, exactly as listed.
  const Medium* medium(std::wstring_view canonicalName) const;
  // The medium a settings object gets when the device has none of its own: nullptr for a device without media.
  const Medium* defaultMedium() const;
  bool writesPdf() const { return writesPdf_; }

  // Test side
  void addMedium(Medium medium);
  bool removeMedium(std::wstring_view canonicalName);
  // Removes every medium of this size in either orientation (within 0.01 mm); returns how many went.
  int removeMediaOfSize(double width, double height);
  int removeMediaNamedWith(std::wstring_view part);

 private:
  std::wstring name_;
  std::vector<Medium> media_;
  std::wstring defaultMedium_;
  bool writesPdf_;
};

// The smallest medium (by area; full-bleed before one with margins among equals) whose sides are at least
// width × height mm as the medium stands, among the media named in `units` first and the others only when none
// of those holds it; nullptr when every medium is smaller.
const Medium* smallestMediumHolding(const PlotDevice& device, double width, double height, PlotPaperUnits units);

// ISO A4 to A0 full-bleed and with margins in both orientations, larger ISO sheets, ANSI A to E in inches.
std::vector<Medium> standardPdfMedia();
// A medium named as the PDF device names its metric media: "ISO_A3_(420.00_x_297.00_MM)".
std::wstring isoMediumName(std::wstring_view prefix, std::wstring_view paper, double width, double height);

}  // namespace cad
