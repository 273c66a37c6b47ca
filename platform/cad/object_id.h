#pragma once
#include <cstdint>
#include <functional>

namespace cad {

// An object's identity. The owning database's serial sits in the high 16 bits so that ids of one drawing
// never match objects of another; null is 0.
struct ObjectId {
  std::uint64_t value = 0;
  bool isNull() const { return value == 0; }
  std::uint16_t databaseSerial() const { return static_cast<std::uint16_t>(value >> 48); }
  friend bool operator==(ObjectId, ObjectId) = default;
  friend auto operator<=>(ObjectId, ObjectId) = default;
  static const ObjectId kNull;
};
inline const ObjectId ObjectId::kNull{};

}  // namespace cad

template <>
struct std::hash<cad::ObjectId> {
  std::size_t operator()(cad::ObjectId id) const noexcept { return std::hash<std::uint64_t>{}(id.value); }
};
