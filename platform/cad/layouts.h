#pragma once
// Host-side questions about a drawing's layouts that system variables, picks and the layout manager share.
// Objects are looked at directly (no open/close), as the host does internally.

#include <string>
#include <vector>

#include "cad/object_id.h"

namespace cad {

class Database;
class Layout;

// The layout behind an id, or nullptr when the id names something else.
Layout* layoutObject(const Database* db, ObjectId id);
// The Model tab's layout.
ObjectId modelLayoutId(const Database* db);
// The paper-space layout with the lowest tab order; null when there is none.
ObjectId firstPaperLayoutId(const Database* db);
// Layouts in tab order.
std::vector<ObjectId> layoutsInTabOrder(const Database* db);
// A viewport of the layout's paper space with this number (2 and up) that is on.
bool layoutHasViewport(const Database* db, ObjectId layout, int number);
// The lowest number above 1 of a viewport of the layout that is on; 0 when there is none.
int firstViewportNumber(const Database* db, ObjectId layout);

}  // namespace cad
