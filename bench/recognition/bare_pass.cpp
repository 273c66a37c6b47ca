#include "bare_pass.h"

#include <benchmark/benchmark.h>

#include <memory>

std::size_t barePassOver(cad::ObjectId blockTableRecordId) {
  cad::BlockTableRecord* record = nullptr;
  if (cad::acdbOpenObject(record, blockTableRecordId, cad::kForRead) != cad::eOk) return 0;
  std::unique_ptr<cad::BlockTableRecordIterator> it;
  std::size_t withExtents = 0;
  if (record->newIterator(it) == cad::eOk) {
    for (it->start(); !it->done(); it->step()) {
      cad::Entity* entity = nullptr;
      if (it->getEntity(entity, cad::kForRead) != cad::eOk) continue;
      const cad::RxClass* type = entity->isA();
      benchmark::DoNotOptimize(type);
      cad::Extents3d extents;
      if (entity->getGeomExtents(extents) == cad::eOk) ++withExtents;
      entity->close();
    }
  }
  record->close();
  return withExtents;
}
