#pragma once
// The floor a scan is measured against: one pass that opens every entity of a block table record and reads
// its type and extents, nothing else.

#include <cstddef>

#include "cad/database.h"

// How many entities of the record had extents; 0 when the record cannot be opened.
std::size_t barePassOver(cad::ObjectId blockTableRecordId);
