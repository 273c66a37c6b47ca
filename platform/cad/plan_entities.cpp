#include "cad/plan_entities.h"

#include "cad/rx_class_definition.h"

namespace cad {

QUODL_RX_CLASS(PointEntity, L"AcDbPoint")
QUODL_RX_CLASS(Wipeout, L"AcDbWipeout")
QUODL_RX_CLASS(Xline, L"AcDbXline")
QUODL_RX_CLASS(Ray, L"AcDbRay")
QUODL_RX_CLASS(Face3d, L"AcDbFace")
QUODL_RX_CLASS(Leader, L"AcDbLeader")
QUODL_RX_CLASS(MLeader, L"AcDbMLeader")
QUODL_RX_CLASS(MLine, L"AcDbMline")
QUODL_RX_CLASS(Helix, L"AcDbHelix")
QUODL_RX_CLASS(SubDMesh, L"AcDbSubDMesh")
QUODL_RX_CLASS(Shape, L"AcDbShape")

MLeader::MLeader() : WireEntity(ObjectKind::kMLeader) {}
MLeader::~MLeader() = default;

}  // namespace cad
