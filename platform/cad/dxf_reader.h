#pragma once
// Reads an ASCII DXF drawing (R12, R2000 to R2018) into a database. Files are recognised by content: a DWG
// or binary DXF is refused with a clear message, damaged text with an error naming its line. On success
// the layouts are bound to their blocks, viewports are numbered and the current layout follows $TILEMODE;
// kinds the database does not hold (ellipses, splines, dimensions, …) are skipped. Damage the drawing can
// be read past (a missing EOF after complete sections, a section the format does not have, references to
// blocks that cannot be drawn) is kept in the warnings.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/database.h"

namespace cad {

struct [[nodiscard]] DxfReadResult {
  std::unique_ptr<Database> database;  // null on failure: never a half-filled drawing
  std::string error;                   // names the line for damaged input
  std::vector<std::string> warnings;   // one line each, for the person who opened the drawing
};

DxfReadResult readDxfText(std::string_view text);
// Regular files only, opened without blocking (a named pipe is refused, never waited on). The error gives the
// reason ("no such file", "permission denied", "is a directory", "not a regular file", …) but not the path,
// which the caller names once.
DxfReadResult readDxfFile(const std::string& path);

}  // namespace cad
