#pragma once
// What one fuzz input goes through: the reader, then every use the rest of the system makes of a drawing
// (layouts, iteration, extents, viewport numbers, opening and closing). Returns false on a broken promise.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "cad/dxf_reader.h"

inline bool exerciseDxf(const std::uint8_t* data, std::size_t size) {
  using namespace cad;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  DxfReadResult result = readDxfText(text);
  if (!result.database) return !result.error.empty();
  Database& db = *result.database;
  Dictionary* layouts = nullptr;
  if (db.getLayoutDictionary(layouts) != eOk) return false;
  for (const auto& [name, layoutId] : layouts->entries) {
    Layout* layout = nullptr;
    if (acdbOpenObject(layout, layoutId) != eOk) return false;
    BlockTableRecord* record = nullptr;
    if (acdbOpenObject(record, layout->getBlockTableRecordId()) != eOk) return false;
    std::unique_ptr<BlockTableRecordIterator> it;
    if (record->newIterator(it) != eOk) return false;
    for (it->start(); !it->done(); it->step()) {
      Entity* entity = nullptr;
      if (it->getEntity(entity) != eOk) return false;
      Extents3d box;
      entity->getGeomExtents(box);
      if (auto* curve = dynamic_cast<Curve*>(entity)) {
        double area = 0;
        curve->getArea(area);
      }
      entity->close();
    }
    record->close();
    layout->close();
  }
  layouts->close();
  db.renumberViewports();
  return db.openObjects().empty() && db.currentLayoutId() != ObjectId{};
}
