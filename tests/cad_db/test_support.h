#pragma once
// Shared helpers of the drawing-database tests: files, builders and lookups.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "cad/database.h"
#include "cad/dxf_reader.h"
#include "foundation/text.h"

namespace cadtest {

inline std::string samplePath(const std::string& name) { return std::string(QUODL_SAMPLES_DIR) + "/" + name; }
inline std::string dataPath(const std::string& name) { return std::string(QUODL_CAD_DB_DATA_DIR) + "/" + name; }

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string utf8(const std::wstring& text) { return foundation::utf8FromWideLossy(text); }

template <class T>
T* as(const cad::Database& db, cad::ObjectId id) {
  return dynamic_cast<T*>(db.objectAt(id));
}

inline cad::Layout* layoutNamed(const cad::Database& db, const std::wstring& name) {
  return as<cad::Layout>(db, db.layoutId(name));
}

// The entities of a layout's block in stored order.
inline std::vector<cad::Entity*> entitiesOf(const cad::Database& db, cad::ObjectId record) {
  std::vector<cad::Entity*> out;
  if (auto* btr = as<cad::BlockTableRecord>(db, record)) {
    for (cad::ObjectId id : btr->entityIds) out.push_back(as<cad::Entity>(db, id));
  }
  return out;
}

inline std::vector<cad::Entity*> layoutEntities(const cad::Database& db, const std::wstring& layout) {
  auto* l = layoutNamed(db, layout);
  return l == nullptr ? std::vector<cad::Entity*>{} : entitiesOf(db, l->getBlockTableRecordId());
}

template <class T>
std::vector<T*> ofKind(const std::vector<cad::Entity*>& entities) {
  std::vector<T*> out;
  for (auto* e : entities) {
    if (auto* t = dynamic_cast<T*>(e)) out.push_back(t);
  }
  return out;
}

// Layout names in dictionary order.
inline std::vector<std::wstring> layoutNames(const cad::Database& db) {
  std::vector<std::wstring> names;
  for (const auto& [name, id] : as<cad::Dictionary>(db, db.layoutDictionaryId())->entries) names.push_back(name);
  return names;
}

inline cad::Extents3d extentsOf(const cad::Entity& e) {
  cad::Extents3d box;
  EXPECT_EQ(e.getGeomExtents(box), cad::eOk);
  return box;
}

inline void expectBox(const cad::Extents3d& box, double x0, double y0, double x1, double y1, double tol = 1e-6) {
  EXPECT_NEAR(box.minPoint.x, x0, tol);
  EXPECT_NEAR(box.minPoint.y, y0, tol);
  EXPECT_NEAR(box.maxPoint.x, x1, tol);
  EXPECT_NEAR(box.maxPoint.y, y1, tol);
}

inline cad::DxfReadResult load(const std::string& path) {
  auto result = cad::readDxfFile(path);
  EXPECT_TRUE(result.database) << path << ": " << result.error;
  return result;
}

}  // namespace cadtest
