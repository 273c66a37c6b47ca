#pragma once
// Reads an ASCII DXF drawing (R12, R2000 to R2018) into a database. Files are recognised by content: a DWG
// or binary DXF is refused with a clear message, damaged text with an error naming its line. On success
// the layouts are bound to their blocks, viewports are numbered and the current layout follows $TILEMODE;
// kinds the database does not hold (ellipses, splines, dimensions, …) are skipped.

#include <memory>
#include <string>
#include <string_view>

#include "cad/database.h"

namespace cad {

struct [[nodiscard]] DxfReadResult {
  std::unique_ptr<Database> database;  // null on failure: never a half-filled drawing
  std::string error;                   // names the line for damaged input
};

DxfReadResult readDxfText(std::string_view text);
DxfReadResult readDxfFile(const std::string& path);

}  // namespace cad
