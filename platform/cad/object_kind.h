#pragma once
// What kind of object a database object is, as a tag every object carries from its constructor: a scan over
// hundreds of thousands of entities tests kinds with a byte compare where dynamic_cast would walk the class
// hierarchy. A class of its own kind passes its value to its base's constructor; a class that passes none
// shares its base's kind (kObject, kEntity) and is told apart by dynamic_cast alone.

#include <cstdint>
#include <type_traits>

namespace cad {

enum class ObjectKind : std::uint8_t {
  // Objects that are not entities.
  kObject,  // of no kind of its own
  kVertex2d,
  kBlockTableRecord,
  kLayerTableRecord,
  kTextStyleTableRecord,
  kBlockTable,
  kLayerTable,
  kTextStyleTable,
  kDictionary,
  kPlotSettings,
  kLayout,
  // Entities: every kind from kEntity on.
  kEntity,  // of no kind of its own
  kLine,
  kPolyline,
  kPolyline2d,
  kCircle,
  kArc,
  kText,
  kAttributeReference,
  kMText,
  kBlockReference,
  kViewport,
  kHatch,
};

inline constexpr bool isEntityKind(ObjectKind kind) { return kind >= ObjectKind::kEntity; }

// The host's cast(): `object` as a T when its kind is one of `kinds`, else null; constness carries over.
template <class T, class O, class... Kinds>
auto kindCast(O* object, Kinds... kinds) -> std::conditional_t<std::is_const_v<O>, const T*, T*> {
  if (object == nullptr || ((object->kind() != kinds) && ...)) return nullptr;
  return static_cast<std::conditional_t<std::is_const_v<O>, const T*, T*>>(object);
}

}  // namespace cad
