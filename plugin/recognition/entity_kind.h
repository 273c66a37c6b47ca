#pragma once
// The kind of an entity as the scans need it, learnt once per run-time class: a scan of a large drawing
// asks this for every entity, and a run-time class answer costs far less than a chain of casts.

#include <utility>
#include <vector>

namespace cad {
class Entity;
class RxClass;
}  // namespace cad

enum class VexBatchEntityKind {
  Other,
  Polyline,        // lightweight polyline
  LegacyPolyline,  // legacy two-dimensional polyline
  Line,
  BlockReference,
  Viewport,
};

class VexBatchEntityKinds {
 public:
  // The entity's kind; an entity without a run-time class is judged by its C++ type alone.
  [[nodiscard]] VexBatchEntityKind of(const cad::Entity& entity);

 private:
  std::vector<std::pair<const cad::RxClass*, VexBatchEntityKind>> known_;
};
