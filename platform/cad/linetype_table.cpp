#include "cad/linetype_table.h"

#include <cmath>

#include "cad/rx_class_definition.h"

namespace cad {

double LinetypeTableRecord::patternLength() const {
  double length = 0;
  for (double d : dashes) length += std::fabs(d);
  return length;
}

QUODL_RX_CLASS(LinetypeTableRecord, L"AcDbLinetypeTableRecord")
QUODL_RX_CLASS(LinetypeTable, L"AcDbLinetypeTable")

}  // namespace cad
