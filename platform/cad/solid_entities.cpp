#include "cad/solid_entities.h"

#include "cad/rx_class_definition.h"

namespace cad {

QUODL_RX_CLASS(Solid, L"AcDbSolid")
QUODL_RX_CLASS(Trace, L"AcDbTrace")

}  // namespace cad
