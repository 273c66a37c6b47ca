#pragma once
// What an entity is drawn with: its colour, lineweight and linetype resolved through its layer and the block
// reference it is drawn in (ByLayer, ByBlock, layer 0 inside blocks), then the plot-style table's pen.

#include <cstdint>
#include <optional>

#include "cad/plot/plot_style_table.h"
#include "graphics/color.h"

namespace cad {
class Database;
class Entity;
class LayerTableRecord;
class LinetypeTableRecord;
class PlotSettings;
}  // namespace cad

namespace cad::render {

// What the block reference an entity is drawn through passes on (at the top: colour 7, default lineweight).
struct Inherited {
  int aci = 7;
  std::optional<std::uint32_t> rgb;
  int lineWeight = -3;  // hundredths of a millimetre, or -3 for the drawing's default
  const LinetypeTableRecord* linetype = nullptr;
  const LayerTableRecord* layer = nullptr;  // the reference's layer, which entities on layer 0 take
};

// An entity's own colour, lineweight and linetype after ByLayer and ByBlock.
struct Look {
  int aci = 7;
  std::optional<std::uint32_t> rgb;
  int lineWeight = -3;
  const LinetypeTableRecord* linetype = nullptr;  // null: continuous
};

// The layer an entity is drawn on: its own, or for layer 0 inside a block the reference's.
const LayerTableRecord* effectiveLayer(const Database& db, const Entity& entity, const Inherited& inherited);
Look lookOf(const Database& db, const Entity& entity, const LayerTableRecord& layer, const Inherited& inherited);
// What the entity passes on to a block it draws (a reference's, a dimension's).
Inherited inheritedFrom(const Look& look, const LayerTableRecord& layer);

// A pen as the page draws it.
struct Ink {
  graphics::Color color;
  double width = 0;  // points
};

// The page's pens: the plot-style table (when the settings plot with one), whether lineweights print, and the
// drawing's default lineweight.
class PagePens {
 public:
  // `lineweightScale` multiplies printed lineweights (the plot scale, when the settings scale lineweights).
  PagePens(const Database& db, const PlotSettings& validated, double lineweightScale);
  Ink inkFor(const Look& look) const;
  // A colour of a text run (an MTEXT colour code) with the entity's lineweight.
  Ink inkFor(int aci, std::optional<std::uint32_t> rgb, int lineWeight) const;
  // Why the table the settings plot with cannot be used; empty when it can or there is none.
  const std::string& error() const { return error_; }

 private:
  std::optional<PlotStyleTable> table_;
  std::string error_;
  bool lineweights_ = true;
  double lineweightScale_ = 1;
  int defaultLineWeight_ = 25;
};

}  // namespace cad::render
