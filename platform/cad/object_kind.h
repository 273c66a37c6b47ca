#pragma once
// What kind of object a database object is, as a tag every object carries from its constructor: a scan over
// hundreds of thousands of entities tests kinds with a byte compare where dynamic_cast would walk the class
// hierarchy. A class of its own kind passes its value to its base's constructor; adding one is a value here
// and that argument. A class that passes none shares its base's kind and is told apart by dynamic_cast alone.

#include <cstdint>
#include <type_traits>

namespace cad {

// A class whose subclasses have kinds of their own opens a section: their kinds follow its own, up to the next
// section, so that its cast() takes them all. A new kind goes in the section of its base class.
enum class ObjectKind : std::uint8_t {
  // Objects that are not entities.
  kObject,  // of no kind of its own
  kVertex2d,
  kDictionary,
  kSymbolTableRecord,  // symbol table records, up to kSymbolTable
  kBlockTableRecord,
  kLayerTableRecord,
  kTextStyleTableRecord,
  kLinetypeTableRecord,
  kSymbolTable,  // symbol tables, up to kPlotSettings
  kBlockTable,
  kLayerTable,
  kTextStyleTable,
  kLinetypeTable,
  kPlotSettings,  // plot settings, up to kEntity
  kLayout,
  // Entities: every kind from kEntity on.
  kEntity,  // of no kind of its own
  kCurve,   // curves, up to kText
  kLine,
  kPolyline,
  kPolyline2d,
  kCircle,
  kArc,
  kEllipse,
  kSpline,
  kPolyline3d,
  kText,  // single-line texts, up to kMText
  kAttributeReference,
  kAttributeDefinition,
  kMText,
  kBlockReference,
  kViewport,
  kHatch,
  kSolid,  // solids, up to kDimension
  kTrace,
  kDimension,
  kPoint,
  kWipeout,
  kXline,  // construction lines, up to kWire
  kRay,
  kWire,  // entities drawn as their wire in plan, up to kShape
  kFace3d,
  kLeader,
  kMLeader,
  kMLine,
  kHelix,
  kSubDMesh,
  kShape,
};

inline constexpr bool isEntityKind(ObjectKind kind) { return kind >= ObjectKind::kEntity; }

// The host's cast(): `object` as a T when its kind lies in [first, end), else null; constness carries over.
template <class T, class O>
auto kindCast(O* object, ObjectKind first, ObjectKind end) -> std::conditional_t<std::is_const_v<O>, const T*, T*> {
  if (object == nullptr || object->kind() < first || object->kind() >= end) return nullptr;
  return static_cast<std::conditional_t<std::is_const_v<O>, const T*, T*>>(object);
}
// The same for a class no other kind derives from.
template <class T, class O>
auto kindCast(O* object, ObjectKind kind) -> std::conditional_t<std::is_const_v<O>, const T*, T*> {
  if (object == nullptr || object->kind() != kind) return nullptr;
  return static_cast<std::conditional_t<std::is_const_v<O>, const T*, T*>>(object);
}

}  // namespace cad
