#pragma once
// The linetype table: each linetype's dash pattern, in drawing units before any linetype scale.

#include <vector>

#include "cad/tables.h"

namespace cad {

class LinetypeTableRecord : public SymbolTableRecord {
 public:
  LinetypeTableRecord() : SymbolTableRecord(ObjectKind::kLinetypeTableRecord) {}
  static auto cast(auto* object) { return kindCast<LinetypeTableRecord>(object, ObjectKind::kLinetypeTableRecord); }
  std::wstring comments;
  // Dashes (> 0), gaps (< 0) and dots (0) in turn; empty for a continuous line.
  std::vector<double> dashes;
  // The pattern's length: the sum of the dashes' and gaps' lengths.
  double patternLength() const;
  const RxClass& rxClass() const override;
};

class LinetypeTable : public SymbolTable {
 public:
  LinetypeTable() : SymbolTable(ObjectKind::kLinetypeTable) {}
  static auto cast(auto* object) { return kindCast<LinetypeTable>(object, ObjectKind::kLinetypeTable); }
  const RxClass& rxClass() const override;
};

}  // namespace cad
