#pragma once
// What an entity prints with besides its colour index, as the drawing gives it: linetype and its scale,
// lineweight, true colour and visibility.

#include <cstdint>
#include <optional>

#include "cad/object_id.h"

namespace cad {

// Lineweights are hundredths of a millimetre, or one of these.
enum LineWeight : int { kLnWtByLayer = -1, kLnWtByBlock = -2, kLnWtByLwDefault = -3 };

struct EntityProperties {
  enum class LinetypeFrom : std::uint8_t { kLayer, kBlock, kOwn };
  LinetypeFrom linetypeFrom = LinetypeFrom::kLayer;
  ObjectId linetypeId;  // kOwn: the linetype table record; null for a linetype the table lacks (continuous)
  double linetypeScale = 1;
  int lineWeight = kLnWtByLayer;
  std::optional<std::uint32_t> trueColor;  // 0xRRGGBB; wins over the colour index
  bool visible = true;
};

}  // namespace cad
