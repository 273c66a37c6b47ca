#pragma once
// Moving items to the user's trash as the freedesktop trash specification describes: the item goes to
// Trash/files under a name that is free there, and Trash/info/<name>.trashinfo records where it came from
// and when, so that a file browser can put it back.

#include <string>

#include "foundation/files.h"

namespace foundation {

struct TrashResult : FileResult {
  std::string trashedPath;  // where the item now lies
  // A failure that still left the item whole in the trash, with its record, while part of it could not be
  // removed where it was. Every other failure leaves the item as it was and nothing in the trash.
  bool partlyLeft = false;
};

// A link is trashed as a link. Refuses the trash itself and the folders holding it. A move to a trash on
// another volume is all or nothing as moveItem's.
TrashResult trashItem(const std::string& path);

}  // namespace foundation
