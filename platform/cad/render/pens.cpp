#include "cad/render/pens.h"

#include <algorithm>

#include "cad/database.h"
#include "cad/linetype_table.h"
#include "cad/plot/plot_settings.h"
#include "cad/plot/plot_style_folders.h"
#include "cad/render/colors.h"
#include "foundation/text.h"

namespace cad::render {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
// The thinnest line a page draws: lineweight 0 and unprinted lineweights, as a device's finest line.
constexpr double kThinnestMm = 0.05;

const LinetypeTableRecord* linetypeAt(const Database& db, ObjectId id) {
  return id.isNull() ? nullptr : dynamic_cast<const LinetypeTableRecord*>(db.objectAt(id));
}

int headerInteger(const Database& db, const wchar_t* name, int fallback) {
  auto it = db.headerVariables.find(name);
  if (it == db.headerVariables.end()) return fallback;
  try {
    return std::stoi(it->second);
  } catch (...) {
    return fallback;
  }
}

}  // namespace

const LayerTableRecord* effectiveLayer(const Database& db, const Entity& entity, const Inherited& inherited) {
  auto* own = dynamic_cast<const LayerTableRecord*>(db.objectAt(entity.layerId()));
  if (inherited.layer != nullptr && (own == nullptr || own->name == L"0")) return inherited.layer;
  return own;
}

Look lookOf(const Database& db, const Entity& entity, const LayerTableRecord& layer, const Inherited& inherited) {
  Look look;
  const EntityProperties& p = entity.properties;
  const int index = entity.colorIndex();
  if (p.trueColor) {
    look.rgb = p.trueColor;
    look.aci = index >= 1 && index <= 255 ? index : nearestAci(*p.trueColor);
  } else if (index == 0) {
    look.aci = inherited.aci;
    look.rgb = inherited.rgb;
  } else if (index >= 1 && index <= 255) {
    look.aci = index;
  } else {
    look.aci = layer.colorIndex >= 1 && layer.colorIndex <= 255 ? layer.colorIndex : 7;
    look.rgb = layer.trueColor;
  }

  switch (p.lineWeight) {
    case kLnWtByLayer: look.lineWeight = layer.lineWeight >= 0 ? layer.lineWeight : kLnWtByLwDefault; break;
    case kLnWtByBlock: look.lineWeight = inherited.lineWeight; break;
    default: look.lineWeight = p.lineWeight >= 0 ? p.lineWeight : kLnWtByLwDefault; break;
  }

  switch (p.linetypeFrom) {
    case EntityProperties::LinetypeFrom::kLayer: look.linetype = linetypeAt(db, layer.linetypeId); break;
    case EntityProperties::LinetypeFrom::kBlock: look.linetype = inherited.linetype; break;
    case EntityProperties::LinetypeFrom::kOwn: look.linetype = linetypeAt(db, p.linetypeId); break;
  }
  return look;
}

Inherited inheritedFrom(const Look& look, const LayerTableRecord& layer) {
  return {look.aci, look.rgb, look.lineWeight, look.linetype, &layer};
}

PagePens::PagePens(const Database& db, const PlotSettings& validated, double lineweightScale)
    : lineweights_(validated.printLineweights() || validated.plotPlotStyles()),
      lineweightScale_(validated.scaleLineweights() && lineweightScale > 0 ? lineweightScale : 1),
      defaultLineWeight_(std::clamp(headerInteger(db, L"$LWDEFAULT", 25), 0, 211)) {
  if (!validated.plotPlotStyles() || validated.styleSheet.empty()) return;
  const std::optional<std::string> path = plotStyleFilePath(validated.styleSheet);
  PlotStyleTableRead read = path ? readPlotStyleTable(*path) : PlotStyleTableRead{};
  if (read.table) {
    table_ = std::move(read.table);
  } else {
    error_ = "Cannot use the plot-style table \"" + foundation::utf8FromWideLossy(validated.styleSheet) +
             "\": " + (path ? read.error : std::string("it is not in a plot-style folder"));
  }
}

Ink PagePens::inkFor(const Look& look) const { return inkFor(look.aci, look.rgb, look.lineWeight); }

Ink PagePens::inkFor(int aci, std::optional<std::uint32_t> rgb, int lineWeight) const {
  const PenColor own = rgb ? rgbColor(*rgb) : aciColor(aci);
  const double ownMm = (lineWeight >= 0 ? lineWeight : defaultLineWeight_) / 100.0;
  const PlotStyle* style = nullptr;
  if (table_) {
    // A colour-dependent table chooses by index; a true colour's index is the one saved with it, or the nearest.
    style = table_->kind == PlotStyleKind::kColorDependent ? table_->styleForColor(aci) : table_->styleNamed(L"Normal");
  }
  const Pen pen = penFor(style, own, ownMm);
  const double mm = lineweights_ ? std::max(pen.lineweight * lineweightScale_, kThinnestMm) : kThinnestMm;
  return {graphics::Color::srgb(pen.color.red / 255.0, pen.color.green / 255.0, pen.color.blue / 255.0),
          mm * kPointsPerMm};
}

}  // namespace cad::render
