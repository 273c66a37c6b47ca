#include "cad/annotation_entities.h"

#include "cad/rx_class_definition.h"

namespace cad {

QUODL_RX_CLASS(Dimension, L"AcDbDimension")
QUODL_RX_CLASS(AttributeDefinition, L"AcDbAttributeDefinition")

}  // namespace cad
