#include "cad/error_status.h"

namespace cad {

const char* errorStatusText(ErrorStatus es) {
  switch (es) {
    case eOk: return "eOk";
    case eNullObjectId: return "eNullObjectId";
    case eKeyNotFound: return "eKeyNotFound";
    case eWasErased: return "eWasErased";
    case eInvalidInput: return "eInvalidInput";
    case eInvalidExtents: return "eInvalidExtents";
    case eNotApplicable: return "eNotApplicable";
    case eNotThatKindOfClass: return "eNotThatKindOfClass";
    case eWasOpenForWrite: return "eWasOpenForWrite";
    case eDegenerateGeometry: return "eDegenerateGeometry";
    case eOutOfRange: return "eOutOfRange";
    case eFileAccessErr: return "eFileAccessErr";
    case eDuplicateKey: return "eDuplicateKey";
    case eInvalidIndex: return "eInvalidIndex";
    case eNotImplemented: return "eNotImplemented";
    case eWasOpenForRead: return "eWasOpenForRead";
    case eUserBreak: return "eUserBreak";
  }
  return "eUnknownStatus";
}

}  // namespace cad
