#pragma once
// Plot-style tables: what colour, lineweight and screening a pen plots an object with. A colour-dependent
// table (.ctb) holds one style per colour index 1 to 255; a named table (.stb) holds styles that objects name.
//
// On disk (the host's compressed format): one header line naming the kind, twelve bytes (Adler-32 checksum
// of the text, the text's length, the stream's length; 32-bit little-endian) and a zlib stream of the
// table's text. The text is UTF-8, one "key=value" or "key{" or "}" a line:
//
//   description="Every colour plots black"
//   plot_style{
//    1{
//     name="Color_1"
//     description=""
//     color=#000000        (or "object": the object's own)
//     lineweight=0.25      (millimetres, or "object")
//     screen=100           (percent of ink)
//    }
//   }
//
// A file that is damaged in any way (header, lengths, checksum, stream, text) is refused as a whole.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/files.h"

namespace cad {

enum class PlotStyleKind { kColorDependent, kNamed };

struct PenColor {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const PenColor&, const PenColor&) = default;
};

struct PlotStyle {
  std::wstring name;
  std::wstring description;
  std::optional<PenColor> color;     // nullopt: the object's own colour
  std::optional<double> lineweight;  // millimetres; nullopt: the object's own lineweight
  int screen = 100;                  // percent of ink, 0 (none) to 100
  friend bool operator==(const PlotStyle&, const PlotStyle&) = default;
};

// What a pen draws an object with.
struct Pen {
  PenColor color;
  double lineweight = 0;  // millimetres
  friend bool operator==(const Pen&, const Pen&) = default;
};

class PlotStyleTable {
 public:
  static constexpr int kColorCount = 255;
  static constexpr double kMaxLineweight = 2.11;  // mm, the heaviest lineweight the host knows

  // 255 styles "Color_1" … "Color_255" that keep each object's own colour and lineweight.
  static PlotStyleTable colorDependent(std::wstring description);
  // One style, "Normal", that keeps the object's own.
  static PlotStyleTable named(std::wstring description);

  PlotStyleKind kind = PlotStyleKind::kColorDependent;
  std::wstring description;
  std::vector<PlotStyle> styles;  // colour-dependent: styles[i] is for colour index i + 1

  // Colour-dependent tables: the style for an object's colour index (1 to 255); nullptr otherwise.
  const PlotStyle* styleForColor(int colorIndex) const;
  // Named tables: the style of that name, ignoring case; nullptr when there is none.
  const PlotStyle* styleNamed(std::wstring_view name) const;

  friend bool operator==(const PlotStyleTable&, const PlotStyleTable&) = default;
};

// The pen for an object of this colour and lineweight under a style (nullptr: the object's own, unscreened).
Pen penFor(const PlotStyle* style, PenColor objectColor, double objectLineweight);

// ".ctb" or ".stb".
std::string plotStyleSuffix(PlotStyleKind kind);

std::string encodePlotStyleTable(const PlotStyleTable& table);
// The file bytes that hold this text as a table of this kind, whatever the text says (for tables the
// writer would not make).
std::string packPlotStyleTable(PlotStyleKind kind, std::string_view text);

struct PlotStyleTableRead {
  std::optional<PlotStyleTable> table;
  std::string error;  // why the file was refused
};
PlotStyleTableRead decodePlotStyleTable(std::string_view bytes);
// The file's suffix must name the kind its header gives.
PlotStyleTableRead readPlotStyleTable(const std::string& path);
// Written whole or not at all.
foundation::FileResult writePlotStyleTable(const PlotStyleTable& table, const std::string& path);

}  // namespace cad
