#pragma once

namespace cad {

// Status codes of database calls; only the values code branches on are distinct.
enum ErrorStatus : int {
  eOk = 0,
  eNullObjectId,
  eKeyNotFound,
  eWasErased,
  eInvalidInput,
  eInvalidExtents,
  eNotApplicable,
  eNotThatKindOfClass,
  eWasOpenForWrite,
  eDegenerateGeometry,
  eOutOfRange,
  eFileAccessErr,
  eDuplicateKey,
  eInvalidIndex,
  eNotImplemented,
  eWasOpenForRead,
  eUserBreak,
};

enum OpenMode : int { kForRead = 0, kForWrite = 1 };

const char* errorStatusText(ErrorStatus es);

}  // namespace cad
